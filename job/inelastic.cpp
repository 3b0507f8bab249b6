#include "job/inelastic.h"

#include <cfenv>
#include <cstdint>
#include <vector>

#include "core/inelastic.h"
#include "core/number_text.h"
#include "job/log.h"
#include "job/output_files.h"
#include "job/state_views.h"

namespace vantrel {

namespace {

// A fault's message; the flags a modal box may raise are cleared with the
// kernel's own, so that nothing of a reported fault is left raised.
void ReportFault(SimulationState& s, const char* text) {
    ShowError(s.Ui(), text);
    std::feclearexcept(FE_INVALID | FE_OVERFLOW | FE_DIVBYZERO);
}

// A model's lists are usable only when they were allocated for this job:
// the Options menu stays usable while a job runs, and a model switched on
// then has none.
template <typename Lists>
bool ListsReady(const SimulationState& s, const Lists& lists) {
    const std::size_t size = static_cast<std::size_t>(s.Particles.AtomCount) + 1;
    return lists.size() >= size && s.Partners.Start.size() >= size + 1;
}

double CaptureSqOf(const SimulationState& s, const TrajectoryState& trajectory, double radiusSq) {
    return CaptureRadiusSq(radiusSq, trajectory.FastestSpeed, trajectory.Timestep,
                           s.Run.PartnerUpdateInterval);
}

void ReportRefusals(SimulationState& s, std::int32_t refused, const char* text) {
    for (std::int32_t k = 0; k < refused; ++k) {
        ShowError(s.Ui(), text);
        s.Program.AbortRequested = true;
    }
}

CollisionPassInputs PassInputs(const SimulationState& s, double radiusSq, double timestep) {
    return {CollisionModelOf(s), &s.Inelastic, radiusSq, timestep};
}

// The pass's events and coincident pairs in the order it met them, then
// its fault.
void ReportCollisionPass(SimulationState& s, bool fault, const char* faultText) {
    for (const CollisionEvent& event : s.CollisionWork.Events) {
        if (event.Coincident)
            ShowError(s.Ui(), OrZeroDistanceText);
        else
            ReportCollisionEvent(s, event);
    }
    if (fault) ReportFault(s, faultText);
}

}  // namespace

void UpdateOrPartners(SimulationState& s, TrajectoryState& trajectory) {
    if (!ListsReady(s, s.OrPartners)) return;
    const std::int32_t refused =
        UpdateOrPartners(s.Particles, s.Partners, CaptureSqOf(s, trajectory, s.Program.OrRadiusSquare),
                         s.Program.AbortNow, s.OrPartners);
    ReportRefusals(s, refused, OrListFullText);
}

void UpdateStPartners(SimulationState& s, TrajectoryState& trajectory) {
    if (!ListsReady(s, s.StPartners)) return;
    const std::int32_t refused =
        UpdateStPartners(s.Particles, s.Partners, CaptureSqOf(s, trajectory, s.Program.StRadiusSquare),
                         s.Program.AbortNow, s.StPartners);
    ReportRefusals(s, refused, StListFullText);
}

void EmptyInelasticPartnerLists(SimulationState& s) {
    for (auto& list : s.OrPartners) list.clear();
    for (auto& list : s.StPartners) list.clear();
}

void ApplyCooling(SimulationState& s, const LatticeZone& zone) {
    const CoolingResult result =
        ApplyCooling(s.Particles, zone, s.Inelastic.CoolingGoal, s.Inelastic.CoolingPeriod);
    if (result.Measured && s.Options().Verbose) {
        std::int32_t& counter = s.Program.CoolingReportCounter;
        if (counter < s.Run.PartnerUpdateInterval) {
            ++counter;
        } else {
            LogLine(s.Ui(), "  Current temp. = " + FormatRealFlexible(3, result.Temperature) + " K",
                    ColourBlack);
            counter = 0;
        }
    }
    if (result.Fault) ReportFault(s, CoolingMathErrorText);
}

void ApplyStEvents(SimulationState& s, double timestep) {
    if (!ListsReady(s, s.StPartners)) return;
    const bool fault = ApplyStEvents(s.Particles, s.StPartners,
                                     PassInputs(s, s.Program.StRadiusSquare, timestep),
                                     s.Program.Random, s.StLoss, s.CollisionWork);
    ReportCollisionPass(s, fault, StMathErrorText);
}

void ApplyOrEvents(SimulationState& s, double timestep) {
    if (!ListsReady(s, s.OrPartners)) return;
    const bool fault = ApplyOrEvents(s.Particles, s.OrPartners,
                                     PassInputs(s, s.Program.OrRadiusSquare, timestep), s.OrLoss,
                                     s.CollisionWork);
    ReportCollisionPass(s, fault, OrMathErrorText);
}

void ApplyLssLoss(SimulationState& s, const LatticeZone& zone, double timestep) {
    if (ApplyLssLoss(s.Particles, s.Inelastic, zone, s.SurfaceZ, timestep, s.LssLoss, s.LssChannel))
        ReportFault(s, LssMathErrorText);
}

std::string EventLogText(const CollisionEvent& e) {
    const char* name = e.Kind == EventKind::ShapiroTombrello ? "  ST event, particles: "
                                                             : "  OR event, particles: ";
    return name + IntegerText(e.First) + " and " + IntegerText(e.Second) +
           ", dE = " + FormatReal8(e.EnergyChange * EvPerJoule) +
           " eV, R(old) = " + FormatReal8(e.DistanceBefore * AngstromPerMetre) +
           " A, R(new) = " + FormatReal8(e.DistanceAfter * AngstromPerMetre) + " A";
}

void ReportCollisionEvent(SimulationState& s, const CollisionEvent& e) {
    const SimulationOptions& options = s.Options();
    if (options.StoreInelastic && EventsFileOpen(s)) {
        InelasticEvent line;
        line.Kind = e.Kind;
        line.RunNumber = s.RunNumber();
        line.First = e.First;
        line.Second = e.Second;
        line.EnergyChange = e.EnergyChange;
        line.ClosestApproach = e.ClosestApproach;
        line.FinalDistance = e.DistanceAfter;
        line.MeanHeight = e.MeanHeight;
        line.Timestep = e.Timestep;
        line.RelativeEnergy = e.RelativeEnergy;
        line.Code = e.Excitations;
        WriteEventLine(s, line);
    }
    if (options.Verbose && options.ReportInelastic)
        LogLine(s.Ui(), EventLogText(e), ColourDarkRed);
}

}  // namespace vantrel
