#include "job/state.h"

namespace vantrel {

namespace {

template <typename T>
void Release(std::vector<T>& v) {
    std::vector<T>().swap(v);
}

}  // namespace

void AllocateParticleTable(SimulationState& state, std::int32_t atomCount) {
    ParticleTable& p = state.Particles;
    const std::size_t size = static_cast<std::size_t>(atomCount) + 1;
    p.AtomCount = atomCount;
    for (std::vector<double>* field :
         {&p.X, &p.Y, &p.Z, &p.SiteX, &p.SiteY, &p.SiteZ, &p.VX, &p.VY, &p.VZ, &p.FX, &p.FY,
          &p.FZ, &p.PrevFX, &p.PrevFY, &p.PrevFZ, &p.Density})
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
    const std::size_t size = static_cast<std::size_t>(state.Particles.AtomCount) + 1;
    PartnerLists& lists = state.Partners;
    lists.MaxPartners = maxPartners;
    // Every list starts empty (just its end marker).
    lists.Start.assign(size + 1, 0u);
    lists.Index.clear();
    lists.DistSq.clear();
    if (!state.Options().NeighbourSearch) {
        state.Cells.Head.assign(CellGridSlots, -1);
        state.Cells.Next.assign(size, -1);
    }
    if (state.Options().UseOR) state.OrPartners.assign(size, {});
    if (state.Options().UseST) state.StPartners.assign(size, {});
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
    Release(state.Scratch.Particles);
    Release(state.Scratch.Forces);
    Release(state.Scratch.InsideStart);
    Release(state.Scratch.InsideIndex);
    Release(state.Scratch.InsideDistance);
    Release(state.OrPartners);
    Release(state.StPartners);

    ParticleTable& p = state.Particles;
    Release(p.Mass);
    Release(p.AtomicNumber);

    for (std::vector<double>* field :
         {&p.X, &p.Y, &p.Z, &p.SiteX, &p.SiteY, &p.SiteZ, &p.VX, &p.VY, &p.VZ, &p.FX, &p.FY,
          &p.FZ, &p.PrevFX, &p.PrevFY, &p.PrevFZ, &p.Density})
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
