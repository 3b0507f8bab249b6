#include "job/state.h"

#include "core/forces.h"
#include "core/partner_lists.h"

namespace vantrel {

namespace {

template <typename Array>
void Release(Array& v) {
    Array().swap(v);
}

}  // namespace

void AllocateParticleTable(SimulationState& state, std::int32_t atomCount) {
    ParticleTable& p = state.Particles;
    const std::size_t size = static_cast<std::size_t>(atomCount) + 1;
    p.AtomCount = atomCount;
    for (std::vector<double>* field :
         {&p.X, &p.Y, &p.Z, &p.SiteX, &p.SiteY, &p.SiteZ, &p.VX, &p.VY, &p.VZ, &p.FX, &p.FY,
          &p.FZ, &p.PrevFX, &p.PrevFY, &p.PrevFZ, &p.Density, &p.EmbeddingFactor})
        field->assign(size, 0.0);
    p.Flags.assign(size, 0u);
    p.InitialFlags.assign(size, 0u);
}

void AllocateMassAndAtomicNumber(SimulationState& state) {
    const std::size_t size = static_cast<std::size_t>(state.Particles.AtomCount) + 1;
    state.Particles.Mass.assign(size, 0.0);
    state.Particles.AtomicNumber.assign(size, 0);
}

void AllocatePartnerLists(SimulationState& state, std::int32_t maxPartners) {
    const std::int32_t n = state.Particles.AtomCount;
    const std::size_t size = static_cast<std::size_t>(n) + 1;
    // Every list starts empty (just its end marker).
    SizePartnerLists(state.Partners, n, maxPartners);
    if (!state.Options().NeighbourSearch) SizeCellGrid(state.Cells, n, maxPartners);
    if (state.Options().UseOR) state.OrPartners.assign(size, {});
    if (state.Options().UseST) state.StPartners.assign(size, {});

    SizeForceScratch(state.Scratch, n);
    SizeEnergyScratch(state.EnergyWork, n);
    SizeCollisionPassWork(state.CollisionWork, maxPartners);
}

void FillPlotSnapshot(SimulationState& state) {
    ParticleTable& p = state.Particles;
    PlotSnapshot& plot = state.Program.Plot;
    const bool velocities = state.Options().GraphPlotType == 1;
    plot.X = velocities ? p.VX.data() : p.X.data();
    plot.Y = velocities ? p.VY.data() : p.Y.data();
    plot.Z = velocities ? p.VZ.data() : p.Z.data();
    plot.Flags = p.Flags.data();
    plot.AtomCount = p.AtomCount;
    plot.Time = 0.0f;
}

void ReleaseJobArrays(SimulationState& state) {
    PartnerLists& lists = state.Partners;
    Release(lists.Start);
    Release(lists.Index);
    Release(lists.DistSq);
    Release(state.Cells.Head);
    Release(state.Cells.Next);
    Release(state.Cells.ChainStart);
    Release(state.Cells.Nodes);
    Release(state.Cells.Gathered);
    Release(state.Scratch.Particles);
    Release(state.Scratch.Forces);
    Release(state.Scratch.InsideStart);
    Release(state.Scratch.InsideIndex);
    Release(state.Scratch.InsideDistance);
    Release(state.OrPartners);
    Release(state.StPartners);
    state.EnergyWork = EnergyScratch{};
    state.CollisionWork = CollisionPassWork{};
    state.Scratch.Blocks = ForceBlocks{};
    state.ListWork = ListSearchWork{};
    state.Workers.reset();

    ParticleTable& p = state.Particles;
    Release(p.Mass);
    Release(p.AtomicNumber);

    for (std::vector<double>* field :
         {&p.X, &p.Y, &p.Z, &p.SiteX, &p.SiteY, &p.SiteZ, &p.VX, &p.VY, &p.VZ, &p.FX, &p.FY,
          &p.FZ, &p.PrevFX, &p.PrevFY, &p.PrevFZ, &p.Density, &p.EmbeddingFactor})
        Release(*field);
    Release(p.Flags);
    Release(p.InitialFlags);
    for (int t = 0; t < 4; ++t) {
        Release(state.Tables.Density[t]);
        Release(state.Tables.DensityForce[t]);
        Release(state.Tables.PairForce[t]);
    }
    state.Tables.Allocated = false;

    state.Program.Plot = PlotSnapshot{};
}

}  // namespace vantrel
