// Projectile file (*.prj), in this order:
//
//   field  kind     unit  stored as
//   1      real     keV   Energy          kinetic energy of the projectile
//   2      integer  -     AtomicNumber    Z
//   3      real     amu   ProjectileMass  converted to kg when placed in the table
//   4      integer  -     FlagWord        initial ParticleFlag bits of particle 0
//   5      one character, which must be a blank
//   6      text     -     ProjectileName  the rest of that line, first 10 characters
//
// The four numbers may stand on one line or on several; the name follows the
// fourth number on its line after exactly one blank (further blanks belong to
// the name).  A typical file is one line: "5.0 18 39.948 0 Ar".
//
// Beyond the format, the reader refuses values that no run can start from:
// the projectile speed is sqrt(2E/m), so a mass of 0 or less or a negative
// energy would put infinities or NaNs into the particle table; a projectile
// at rest makes the timestep rule's step length 0, so the timestep shrinks
// towards 0 and the trajectory never reaches its end time; and the
// screened-Coulomb terms take Z to fractional powers, so Z must lie in
// 1..1000 as it must for the target atoms.
#include "io/projectile_file.h"

#include <string>

#include "core/number_text.h"
#include "io/input_file.h"

namespace vantrel {

namespace {

constexpr std::size_t ProjectileNameLimit = 10;
constexpr std::int32_t LowestAtomicNumber = 1;
constexpr std::int32_t HighestAtomicNumber = 1000;

bool UsableProjectile(const ProjectileData& p) {
    return p.Energy > 0.0 && p.ProjectileMass > 0.0 && p.AtomicNumber >= LowestAtomicNumber &&
           p.AtomicNumber <= HighestAtomicNumber;
}

}  // namespace

ProjectileFileRead ParseProjectileFile(std::string_view name) {
    ProjectileFileRead read;
    ProjectileData& p = read.Projectile;
    InputFile in(name);
    p.Energy = in.ReadReal("energy");
    p.AtomicNumber = in.ReadInteger("atomic number");
    p.ProjectileMass = in.ReadReal("mass");
    p.FlagWord = in.ReadInteger("flags");
    const char separator = in.ReadChar();
    // Cut by characters, not bytes, so a UTF-8 name is never split.
    p.ProjectileName = CutText(in.ReadString(ShortTextLimit), ProjectileNameLimit);
    in.SkipLine();
    in.Close();

    read.Failure = in.FirstFailure();
    read.Ok = !in.Failed() && separator == ' ' && UsableProjectile(p);
    if (!read.Ok) {
        read.Messages.push_back(ErrorLine("  ++++ Error ++++"));
        read.Messages.push_back(
            ErrorLine("  File (" + std::string(name) + ") could not be read or has wrong format."));
    }
    return read;
}

}  // namespace vantrel
