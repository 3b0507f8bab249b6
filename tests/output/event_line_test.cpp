#include "output/event_line.h"

#include <gtest/gtest.h>

#include "job/program.h"
#include "job/output_files.h"
#include "tests/support/recording_ui.h"
#include "tests/support/temp_dir.h"

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

TEST(EventLine, ShapiroTombrelloLine) {
    const InelasticEvent e = Event(EventKind::ShapiroTombrello, 3, 0, 17, -12.3456, 0.71234,
                                   0.98765, -1.5, 0.1234, 1234.5678, 2);
    EXPECT_EQ(FormatEventLine(e),
              "    3    0   17   -12.346  0.71234  0.98765 -1.50000    0.1234   1234.568 1  2");
}

TEST(EventLine, OenRobinsonLine) {
    const InelasticEvent e = Event(EventKind::OenRobinson, 12, 105, 2210, -0.0421, 0.3,
                                   0.30125, -7.25, 0.05, 87.125, 0);
    EXPECT_EQ(FormatEventLine(e),
              "   12  105 2210    -0.042  0.30000  0.30125 -7.25000    0.0500     87.125 0   0");
}

TEST(EventLine, LssTotalLine) {
    const InelasticEvent e =
        Event(EventKind::LssTotal, 4, 1, 0, -345.6789, 0, 0, 0, 1.5, 0, 10);
    EXPECT_EQ(FormatEventLine(e),
              "    4    1    0  -345.679  0.00000  0.00000  0.00000    1.5000      0.000 2 10");
}

TEST(EventLine, FieldsWidenForLargeValues) {
    const InelasticEvent e = Event(EventKind::ShapiroTombrello, 123456, 20000, 199999,
                                   -123456.789, 123.45678, 1.0, -1000.0, 12345.6789, 1.0e7, 123);
    EXPECT_EQ(FormatEventLine(e),
              "123456 20000 199999 -123456.789 123.45678  1.00000 -1000.00000 12345.6789 "
              "10000000.000 1 123");
}

TEST(EventLine, LssTotalsAreSixLinesByGroupAndCode) {
    testing::RecordingUserInterface ui;
    ProgramContext program(ui);
    program.RunOffset = 2;
    SimulationState s(program);
    s.RunCounter = 1;
    s.RunOffsetCopy = program.RunOffset;
    testing::TempDir dir;
    s.Outputs.InelasticEvents = dir.File("inelast.dat");
    for (int k = 0; k < LssChannelCount; ++k)
        s.LssChannel[static_cast<std::size_t>(k)] = -(k + 1) * 1.25 / EvPerJouleEvents;
    ASSERT_TRUE(CreateEventsFile(s));
    WriteLssTotals(s, 0.25e-15);
    CloseEventsFile(s);
    EXPECT_EQ(testing::ReadFileBytes(s.Outputs.InelasticEvents),
              "    3    0    0    -1.250  0.00000  0.00000  0.00000    0.2500      0.000 2  0\n"
              "    3    0    0    -2.500  0.00000  0.00000  0.00000    0.2500      0.000 2  4\n"
              "    3    0    0    -3.750  0.00000  0.00000  0.00000    0.2500      0.000 2 10\n"
              "    3    1    0    -5.000  0.00000  0.00000  0.00000    0.2500      0.000 2  0\n"
              "    3    1    0    -6.250  0.00000  0.00000  0.00000    0.2500      0.000 2  4\n"
              "    3    1    0    -7.500  0.00000  0.00000  0.00000    0.2500      0.000 2 10\n");
    EXPECT_TRUE(ui.Events.empty());
}

TEST(EventLine, WriteFailureIsReportedOnceInRed) {
    testing::RecordingUserInterface ui;
    ProgramContext program(ui);
    SimulationState s(program);
    s.Outputs.InelasticEvents = "/dev/full";
    ASSERT_TRUE(CreateEventsFile(s));
    WriteLssTotals(s, 1e-15);
    CloseEventsFile(s);
    ASSERT_EQ(ui.LogEvents().size(), 1u);
    EXPECT_EQ(ui.LogEvents()[0].Text, "  Error writing output file: /dev/full");
    EXPECT_EQ(ui.LogEvents()[0].Colour, ColourRed);
}

}  // namespace
}  // namespace vantrel
