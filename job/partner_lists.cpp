#include "job/partner_lists.h"

#include <string>

#include "core/number_text.h"
#include "core/partner_lists.h"
#include "job/log.h"

namespace vantrel {

namespace {

// The search NeighbourSearch selects.  The Options menu stays usable while
// a job runs, so the cell-index search may be chosen after the job sized
// its arrays for the brute-force one: the grid is then sized here, once.
ListSearchResult SearchLists(SimulationState& s, bool bruteForce) {
    const ParticleTable& p = s.Particles;
    if (bruteForce)
        return BuildListsBruteForce(p, s.ListRadiusSq, s.Options().IgnoreTargetForces, s.Partners,
                                    s.ListSearchThreads());
    if (!CellGridSized(s.Cells, p.AtomCount, s.Partners.MaxPartners))
        SizeCellGrid(s.Cells, p.AtomCount, s.Partners.MaxPartners);
    return BuildListsCellIndex(p, s.ListRadiusSq, s.CellEdge, s.Cells, s.Partners,
                               s.ListSearchThreads());
}

}  // namespace

void SetInitialListRadius(SimulationState& s, double projectileSpeed, double timestep) {
    s.ListRadius = InitialListRadius(projectileSpeed, timestep, s.Run.PartnerUpdateInterval,
                                     s.Model.CutoffRadius);
    s.ListRadiusSq = s.ListRadius * s.ListRadius;
}

void UpdateListRadius(SimulationState& s, const TrajectoryState& trajectory) {
    s.ListRadius = UpdatedListRadius(s.ListRadius, trajectory.FastestSpeed, trajectory.Timestep,
                                     s.Run.PartnerUpdateInterval, s.Model.CutoffRadius);
    s.ListRadiusSq = s.ListRadius * s.ListRadius;
}

bool RebuildPartnerLists(SimulationState& s, TrajectoryState& trajectory) {
    ProgramContext& program = s.Program;
    UserInterface& ui = s.Ui();
    const bool bruteForce = s.Options().NeighbourSearch;

    if (program.AbortRequested) {
        if (ui.AskYesNo(AbortQuestionText, QuestionKind::Confirmation)) {
            program.AbortNow = true;
            trajectory.ContinueJob = false;
            LogLine(ui, AbortingLogText, ColourRed);
            program.AbortRequested = false;
            return false;
        }
        // Declining withdraws every pending stop, a Step included.
        program.AbortRequested = false;
        program.AbortNow = false;
    }

    if (bruteForce) ui.ProcessPendingEvents();
    ShowStatusText(ui, StepStatusPrefix + IntegerText(trajectory.StepCount) + " (" +
                           FormatRealDecimals(2, trajectory.Time * FemtosecondsPerSecond) +
                           " fs)");
    ui.ShowProgress(s.Progress.Text(trajectory.Time, s.Run.MaxTime));
    program.Plot.Time = static_cast<float>(trajectory.Time);
    ui.PlotUpdate(program.Plot);
    if (!bruteForce) ui.ProcessPendingEvents();
    // Step or a confirmed abort may have come in with the window's events.
    if (program.AbortNow) return false;

    const ListSearchResult found = SearchLists(s, bruteForce);
    if (found.Largest > s.MaxPartnersUsed) s.MaxPartnersUsed = found.Largest;
    if (found.Overflow) {
        program.AbortNow = true;
        ShowError(ui, bruteForce ? BruteForceOverflowText : CellIndexOverflowText);
        LogLine(ui, TooManyPartnersLogText, ColourRed);
        program.AbortRequested = true;
        trajectory.ContinueJob = false;
    }
    return !program.AbortNow;
}

}  // namespace vantrel
