#include "output/event_line.h"

#include <gtest/gtest.h>

#include "core/units.h"

namespace vantrel {
namespace {

// Values in file units, given to the record in SI.
InelasticEvent Event(EventKind kind, std::int32_t run, std::int32_t i, std::int32_t j,
                     double dEev, double rMinA, double rNewA, double zA, double dtFs,
                     double eRelEv, std::int32_t code) {
    InelasticEvent e;
    e.Kind = kind;
    e.RunNumber = run;
    e.First = i;
    e.Second = j;
    e.EnergyChange = dEev / EvPerJouleEvents;
    e.ClosestApproach = rMinA / AngstromPerMetre;
    e.FinalDistance = rNewA / AngstromPerMetre;
    e.MeanHeight = zA / AngstromPerMetre;
    e.Timestep = dtFs / FemtosecondsPerSecond;
    e.RelativeEnergy = eRelEv / EvPerJouleEvents;
    e.Code = code;
    return e;
}

TEST(EventLine, ColumnsOfEveryKind) {
    const struct {
        InelasticEvent Event;
        const char* Line;
    } cases[] = {
        {Event(EventKind::ShapiroTombrello, 3, 0, 17, -12.3456, 0.71234, 0.98765, -1.5, 0.1234,
               1234.5678, 2),
         "    3    0   17   -12.346  0.71234  0.98765 -1.50000    0.1234   1234.568 1  2"},
        {Event(EventKind::OenRobinson, 12, 105, 2210, -0.0421, 0.3, 0.30125, -7.25, 0.05, 87.125,
               0),
         "   12  105 2210    -0.042  0.30000  0.30125 -7.25000    0.0500     87.125 0   0"},
        {Event(EventKind::LssTotal, 4, 1, 0, -345.6789, 0, 0, 0, 1.5, 0, 10),
         "    4    1    0  -345.679  0.00000  0.00000  0.00000    1.5000      0.000 2 10"},
        // Fields widen for large values.
        {Event(EventKind::ShapiroTombrello, 123456, 20000, 199999, -123456.789, 123.45678, 1.0,
               -1000.0, 12345.6789, 1.0e7, 123),
         "123456 20000 199999 -123456.789 123.45678  1.00000 -1000.00000 12345.6789 "
         "10000000.000 1 123"},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatEventLine(c.Event), c.Line);
}

}  // namespace
}  // namespace vantrel
