#include "job/state.h"

#include <gtest/gtest.h>

#include "tests/support/recording_ui.h"

namespace vantrel {
namespace {

TEST(SimulationState, AllocationSizesEveryArrayForAtomCountPlusOne) {
    testing::RecordingUserInterface ui;
    ProgramContext program(ui);
    program.Options.UseOR = true;
    SimulationState state(program);
    AllocateParticleTable(state, 7);
    AllocateMassAndAtomicNumber(state);
    AllocatePartnerLists(state, 50);
    const ParticleTable& p = state.Particles;
    EXPECT_EQ(p.AtomCount, 7);
    for (const auto* field : {&p.X, &p.SiteZ, &p.VY, &p.PrevFZ, &p.Density, &p.EmbeddingFactor, &p.Mass})
        EXPECT_EQ(field->size(), 8u);
    EXPECT_EQ(p.Flags.size(), 8u);
    EXPECT_EQ(p.AtomicNumber.size(), 8u);
    EXPECT_EQ(state.Partners.Start.size(), 9u);
    EXPECT_EQ(state.Partners.Count(7), 0u);
    EXPECT_EQ(state.Cells.Head.size(), static_cast<std::size_t>(CellGridSlots));
    EXPECT_EQ(state.OrPartners.size(), 8u);
    EXPECT_TRUE(state.StPartners.empty());  // ST is off
    // The kernels' working arrays, sized here once for the job.
    EXPECT_EQ(state.Cells.Gathered.size(), 51u);
    EXPECT_EQ(state.Scratch.Particles.size(), 8u);
    EXPECT_EQ(state.Scratch.InsideStart.size(), 9u);
    EXPECT_GE(state.EnergyWork.Binned.capacity(), 8u);
}

TEST(SimulationState, BruteForceSearchAllocatesNoCellGrid) {
    testing::RecordingUserInterface ui;
    ProgramContext program(ui);
    program.Options.NeighbourSearch = true;
    SimulationState state(program);
    AllocateParticleTable(state, 3);
    AllocateMassAndAtomicNumber(state);
    AllocatePartnerLists(state, 10);
    EXPECT_TRUE(state.Cells.Head.empty());
}

TEST(SimulationState, PlotSnapshotFollowsThePlotTypeAndIsClearedOnRelease) {
    testing::RecordingUserInterface ui;
    ProgramContext program(ui);
    SimulationState state(program);
    AllocateParticleTable(state, 4);
    FillPlotSnapshot(state);
    EXPECT_EQ(program.Plot.X, state.Particles.X.data());
    EXPECT_EQ(program.Plot.AtomCount, 4);
    program.Options.GraphPlotType = 1;
    FillPlotSnapshot(state);
    EXPECT_EQ(program.Plot.Z, state.Particles.VZ.data());
    AllocateMassAndAtomicNumber(state);
    AllocatePartnerLists(state, 10);
    ReleaseJobArrays(state);
    EXPECT_EQ(program.Plot.X, nullptr);
    EXPECT_EQ(program.Plot.AtomCount, 0);
    EXPECT_TRUE(state.Particles.X.empty());
    EXPECT_TRUE(state.Partners.Start.empty());
    EXPECT_FALSE(state.Tables.Allocated);
}

}  // namespace
}  // namespace vantrel
