// Energy and momentum sums of the particle system, for the energy reports.
//
// The potential energy is the one the forces derive from, but evaluated from
// the analytic forms rather than the tables (only the embedding energies
// -sqrt(rho) = -0.5/q come from the factors q the last force evaluation left
// in EmbeddingFactor).  A target pair at distance r contributes
//
//   r >= r_c           V_T(t), the pair energy at the cut-off;
//   r_hi <= r < r_c    S(r) phi_t(r);
//   r_lo < r < r_hi    the joining spline of t;
//   r <= r_lo          the screened-Coulomb energy of the two nuclei;
//
// a projectile pair (without self-bombardment) V_P(t) beyond r_c and the
// screened-Coulomb energy inside it.  Without the switching function
// |V_T(AA)| n(n-1)/2 is then taken off, so that every target pair counts
// relative to its energy at the cut-off.
//
// Cost: a pair beyond r_c adds only the constant of its class, so those pairs
// are counted by class (from the numbers of A and B atoms) rather than
// visited, and only the pairs near enough to matter are found through a cell
// search.  A sum is O(n) for a crystal, not O(n^2); the *AllPairs functions
// keep the direct definition for comparison.  Every sum is formed in
// extended precision.
//
// Threads.  With a pool of more than one thread the pairs' (and the
// projectile's) terms are evaluated on the pool, a stretch of cells at a
// time, and added to the sum on the calling thread in the order the serial
// sum adds them: the sums are the serial ones to the bit.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "core/inelastic_parameters.h"
#include "core/model_parameters.h"
#include "core/particles.h"
#include "core/worker_pool.h"

namespace vantrel {

// The particles and the model a sum reads.
struct EnergyView {
    const ParticleTable& Particles;
    const ModelParameters& Model;
    bool BinaryTarget = false;
};

// Which terms of the potential energy count.
struct EnergyTerms {
    bool SelfBombard = false;         // the projectile counts as a target atom
    bool IgnoreTargetForces = false;  // only pairs with the projectile
    const InelasticParameters* Image = nullptr;  // image energies (UseImagePotential)
};

// The cell search's working arrays, sized once per job (SizeEnergyScratch).
struct EnergyScratch {
    std::vector<std::pair<std::uint64_t, std::int32_t>> Binned;  // cell key, particle
    std::vector<std::int32_t> Stragglers;  // particles met with every other one
    std::vector<char> IsStraggler;
    std::vector<std::uint64_t> CellKey;    // distinct cells, ascending
    std::vector<std::size_t> CellBegin;    // where their particles begin in Binned
    // Threaded sums: the cells of each task, each task's terms in visiting
    // order and its pair counts, the projectile's terms.
    std::vector<std::size_t> TaskCells;
    std::vector<std::vector<double>> TaskTerms;
    std::vector<PairValues> TaskCounts;
    std::vector<double> Terms;
};

void SizeEnergyScratch(EnergyScratch& scratch, std::int32_t atomCount);

// Pair energies at r = r_c, by PairType (index 0 unused): target pairs V_T
// and projectile pairs V_P (J).  Z1 and Zn are those of the first and last
// target atom.
struct CutoffEnergies {
    PairValues Target{};
    PairValues Projectile{};
};
CutoffEnergies CutoffPairEnergies(const EnergyView& view);

// Kinetic energy (J), momentum (kg m/s) and angular momentum about the
// origin (J s) of particles 0..AtomCount.
struct MotionSums {
    double Kinetic = 0;
    double Px = 0, Py = 0, Pz = 0;
    double Lx = 0, Ly = 0, Lz = 0;
};
MotionSums MotionSumsOf(const ParticleTable& p);

// Potential energy (J) of all particles: projectile pairs, target pairs,
// embedding energies, cut-off correction and image energies.
double PotentialEnergy(const EnergyView& view, const EnergyTerms& terms, EnergyScratch& scratch,
                       WorkerPool* pool = nullptr);
double PotentialEnergyAllPairs(const EnergyView& view, const EnergyTerms& terms);

// Cohesive energy (J) of particle i0 (0..AtomCount): half its N-body pair
// energies with the target atoms within r_c, minus its embedding energy.
double CohesiveEnergy(const EnergyView& view, std::int32_t i0);

// Potential energy (J) of the target atoms among themselves: N-body pair
// energies of the pairs within r_c and the embedding energies.
double LatticeEnergy(const EnergyView& view, EnergyScratch& scratch, WorkerPool* pool = nullptr);
double LatticeEnergyAllPairs(const EnergyView& view);

}  // namespace vantrel
