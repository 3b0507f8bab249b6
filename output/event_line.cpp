#include "output/event_line.h"

#include <cstdio>

#include "core/units.h"

namespace vantrel {

std::string FormatEventLine(const InelasticEvent& e) {
    char tail[32];
    switch (e.Kind) {
        case EventKind::OenRobinson: std::snprintf(tail, sizeof tail, " 0   0"); break;
        case EventKind::ShapiroTombrello: std::snprintf(tail, sizeof tail, " 1 %2d", e.Code); break;
        case EventKind::LssTotal: std::snprintf(tail, sizeof tail, " 2 %2d", e.Code); break;
        default: std::snprintf(tail, sizeof tail, " %d %2d", static_cast<int>(e.Kind), e.Code);
    }
    // Huge reals widen their fields; the buffer is sized for the worst case.
    char line[4096];
    const int length = std::snprintf(
        line, sizeof line, "%5d %4d %4d %9.3f %8.5f %8.5f %8.5f %9.4f %10.3f%s", e.RunNumber,
        e.First, e.Second, e.EnergyChange * EvPerJouleEvents,
        e.ClosestApproach * AngstromPerMetre, e.FinalDistance * AngstromPerMetre,
        e.MeanHeight * AngstromPerMetre, e.Timestep * FemtosecondsPerSecond,
        e.RelativeEnergy * EvPerJouleEvents, tail);
    if (length < 0) return {};
    return std::string(line, static_cast<std::size_t>(length) < sizeof line
                                 ? static_cast<std::size_t>(length)
                                 : sizeof line - 1);
}

}  // namespace vantrel
