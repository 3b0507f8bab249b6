// Feeds arbitrary bytes to the projectile, run, inelastic and impact file
// readers.  None may crash, hang or read past its tables, and each must keep
// its promises: an accepted file holds usable values, a rejected file says
// why, the report positions lie inside the message lists, and a rejected
// inelastic file changes nothing that outlives the job.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "job/log.h"
#include "fuzz/fuzz_support.h"
#include "job/impact_file.h"
#include "job/inelastic_file.h"
#include "job/projectile_file.h"
#include "job/run_file.h"
#include "io/config_file.h"
#include "io/inelastic_file.h"
#include "io/projectile_file.h"
#include "io/run_file.h"

namespace {

using namespace vantrel;

void Check(bool condition) {
    if (!condition) std::abort();
}

void FuzzProjectile(SimulationState& s, const std::string& path) {
    const bool ok = ReadProjectileFile(s, path);
    const ProjectileFileRead read = ParseProjectileFile(path);
    Check(read.Ok == ok && read.Messages.empty() == ok);
    const ProjectileData& p = s.Projectile;
    Check(CutText(p.ProjectileName, 10) == p.ProjectileName);
    if (ok) Check(p.Energy > 0 && p.ProjectileMass > 0 && p.AtomicNumber >= 1 && p.AtomicNumber <= 1000);
}

void FuzzRun(SimulationState& s, const std::string& path) {
    const bool ok = ReadRunFile(s, path);
    PrintSimulationSummary(s, 100);
    const RunFileRead read = ParseRunFile(path);
    Check(read.Ok == ok && read.Messages.empty() == ok && read.SummaryAt <= read.Messages.size());
    const RunParameters& r = s.Run;
    Check(r.SelectionExpression.size() <= ShortTextLimit);
    Check(s.Output.Selection.Text.size() <= ShortTextLimit);
    if (ok)
        Check(r.SampleMode >= 0 && r.SampleMode <= 3 && r.OutputSelection >= 0 &&
              r.OutputSelection <= 8 && r.MaxPartners >= 1 && r.MaxPartners <= 500 &&
              r.InitialTimestep > 0 && r.PartnerUpdateInterval >= 1);
}

void FuzzInelastic(SimulationState& s, const std::string& path) {
    const OptionsRecord optionsBefore = EncodeOptions(s.Program.Options);
    const double orBefore = s.Program.OrRadiusSquare;
    const double stBefore = s.Program.StRadiusSquare;
    const InelasticFileRead read = ParseInelasticFile(path, s.Program.Options);
    Check(read.CoolingReportAt <= read.Messages.size());
    const bool ok = ReadInelasticFile(s, path);
    Check(read.Ok == ok);
    const InelasticParameters& v = s.Inelastic;
    Check(s.Program.OrRadiusSquare <= orBefore);
    if (!ok) {
        Check(EncodeOptions(s.Program.Options) == optionsBefore);
        Check(s.Program.OrRadiusSquare == orBefore && s.Program.StRadiusSquare == stBefore);
        Check(v.LssCount == 0 && v.OrCount == 0 && v.StCount == 0);
        return;
    }
    Check(v.LssCount >= 0 && v.LssCount <= InelasticTableSize);
    Check(v.OrCount >= 0 && v.OrCount <= InelasticTableSize);
    Check(v.StCount >= 0 && v.StCount <= InelasticTableSize);
    for (int i = 0; i < v.LssCount; ++i) Check(v.LssTable[i].AtomicNumber > 0);
    for (int i = 0; i < v.OrCount; ++i) Check(v.OrTable[i].AtomicNumber > 0);
    for (int i = 0; i < v.StCount; ++i)
        Check(v.StTable[i].AtomicNumber > 0 && v.StTable[i].StRadius > 0 &&
              v.StTable[i].StEnergy > 0 && v.StTable[i].StOrder > 0 && v.StTable[i].StValue > 0);
    // A model whose table kept nothing has been switched off.
    Check(!(s.Program.Options.UseLSS && v.LssCount == 0));
    Check(!(s.Program.Options.UseOR && v.OrCount == 0));
    Check(!(s.Program.Options.UseST && v.StCount == 0));
}

void FuzzImpact(const std::string& path, std::int32_t offset, std::size_t size) {
    ImpactFile file;
    if (!file.Open(path)) return;
    file.SkipLines(offset);
    // Every point uses up at least one line end, so the runs are bounded by
    // the bytes of the file plus the one run of zeros at its end.
    std::size_t runs = 0;
    do {
        ImpactPoint point;
        if (!file.ReadPoint(point)) break;
        ++runs;
        Check(runs <= size + 1);
    } while (!file.AtEnd());
    file.Close();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2 || size > fuzz::MaxInputBytes) return 0;
    // First byte: the reader and the option bits; second: the impact offset.
    const std::uint8_t choice = data[0];
    const std::int32_t offset = static_cast<std::int8_t>(data[1]);
    const std::string path = fuzz::WriteScratchFile(data + 2, size - 2, ".txt");

    SilentUserInterface ui;
    ProgramContext program(ui);
    SimulationOptions& o = program.Options;
    o.UseLSS = (choice & 0x04) != 0;
    o.UseOR = (choice & 0x08) != 0;
    o.UseST = (choice & 0x10) != 0;
    o.UseCooling = (choice & 0x20) != 0;
    o.UseImagePotential = (choice & 0x40) != 0;
    SimulationState state(program);
    state.BatchMode = (choice & 0x80) != 0;

    switch (choice & 0x03) {
        case 0: FuzzProjectile(state, path); break;
        case 1: FuzzRun(state, path); break;
        case 2: FuzzInelastic(state, path); break;
        default: FuzzImpact(path, offset, size); break;
    }
    std::remove(path.c_str());
    return 0;
}
