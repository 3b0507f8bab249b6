// Target file (*.trg): one line per atom, six values and a free rest of line.
//
//   column  value                unit  stored as (atom i = line i)
//   1-3     real x, y, z         A     the lattice site                  x 1e-10 -> m
//   4       integer 1..1000      -     AtomicNumber
//   5       real, above 0        amu   Mass
//   6       integer              -     Flags: TypeB (1) marks species B, NoCooling (8),
//                                      ImageCharge (32); other bits kept
//   rest of line 1               -     the target's name
//
// z points out of the surface; the projectile starts above the target.
// Values missing from the end of a line are taken from the next line, as
// in every input file.  Lines beyond the 200,000th are ignored.
#include "io/target_file.h"

#include <algorithm>

#include "core/number_text.h"
#include "core/particles.h"
#include "core/units.h"
#include "io/input_file.h"

namespace vantrel {

namespace {

constexpr std::size_t TargetNameLimit = 255;
constexpr std::int32_t LowestAtomicNumber = 1;
constexpr std::int32_t HighestAtomicNumber = 1000;

}  // namespace

TargetCount CountTargetFile(std::string_view name) {
    TargetCount result;
    InputFile in(name);
    if (!in.Opened()) {
        result.Messages.push_back(
            ErrorBoxMessage("Cannot open Target file:\r" + std::string(name)));
        return result;
    }
    result.Opened = true;
    std::int64_t count = 0;
    std::int32_t last = 0;
    // A line counts when it holds anything; blank lines at the end do not
    // make phantom atoms.
    while (!in.AtEndOfData()) {
        in.ReadToken();
        in.ReadToken();
        in.ReadToken();
        const std::string z = in.ReadToken();
        in.SkipLine();
        std::int32_t value = 0;
        last = ParseIntegerToken(z, value) ? value : 0;
        ++count;
    }
    in.Close();
    result.LastAtomicNumber = last;
    if (count > MaxAtomCount) {
        result.Messages.push_back(
            WarningBoxMessage("Too many atoms in .TRG file (max. 200,000) - ignoring excess."));
        result.AtomCount = MaxAtomCount;
    } else {
        result.AtomCount = static_cast<std::int32_t>(count);
    }
    return result;
}

TargetFileRead ParseTargetFile(std::string_view name, std::int32_t atomCount) {
    TargetFileRead read;
    read.Atoms.reserve(static_cast<std::size_t>(std::max(atomCount, 0)));
    InputFile in(name);
    for (std::int32_t i = 1; i <= atomCount; ++i) {
        TargetAtom atom;
        atom.X = in.ReadReal("x");
        atom.Y = in.ReadReal("y");
        atom.Z = in.ReadReal("z");
        atom.AtomicNumber = in.ReadInteger("atomic number");
        atom.Mass = in.ReadReal("mass");
        atom.Flags = static_cast<std::uint32_t>(in.ReadInteger("flags"));
        if (i == 1) {
            read.Name = in.ReadString(TargetNameLimit);
            if (in.Failed()) {
                read.Status = TargetFileStatus::FirstLineUnreadable;
                read.BadLine = 1;
                read.Failure = in.FirstFailure();
                read.Messages.push_back(
                    ErrorBoxMessage("File format error in .TRG file at line 1 - aborting."));
                return read;
            }
        }
        in.SkipLine();
        // A mass that is not positive would break every equation of motion.
        if (in.Failed() || atom.AtomicNumber < LowestAtomicNumber ||
            atom.AtomicNumber > HighestAtomicNumber || !(atom.Mass > 0.0)) {
            read.Status = TargetFileStatus::BadLine;
            read.BadLine = i;
            read.Failure = in.FirstFailure();
            read.Messages.push_back(
                ErrorBoxMessage("File format or parameter size error in .TRG file at line " +
                                IntegerText(i) + " - aborting."));
            return read;
        }
        atom.X *= MetresPerAngstrom;
        atom.Y *= MetresPerAngstrom;
        atom.Z *= MetresPerAngstrom;
        read.Atoms.push_back(atom);
    }
    return read;
}

}  // namespace vantrel
