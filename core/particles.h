// The particles of a job and the structures the force and list passes work
// on: the structure-of-arrays particle table, the partner lists, the cell
// index of the neighbour search, the force pass's packed scratch and the
// partner records of the two collision models.
//
// Units: m, s, kg, J, m/s.
#pragma once

#include <cstdint>
#include <vector>

#include "core/scratch_array.h"

namespace vantrel {

// ---------------------------------------------------------------------------
// Particle flags: bits of each particle's 32-bit status word.

enum ParticleFlag : std::uint32_t {
    TypeB = 1,         // species B of a binary target (A when clear)
    LeftSurface = 2,   // has passed the surface barrier outward
    LeftSide = 4,      // has passed a lateral barrier outward
    NoCooling = 8,     // exempt from the cooling model
    Recorded = 16,     // written to the dynamical-variables file in this run
    ImageCharge = 32,  // feels the image potential
};

// Pair classes of the model tables, from the particles' TypeB bits.
enum PairType : int { AA = 1, BB = 2, AB = 3 };

inline constexpr std::int32_t PartnerEnd = -99;
inline constexpr std::int32_t MaxAtomCount = 200000;
inline constexpr std::int32_t MaxPartnersLimit = 500;

// ---------------------------------------------------------------------------
// Box around the crystal; inside means strictly between on all six faces.

struct LatticeZone {
    double XMax = 0, XMin = 0, YMax = 0, YMin = 0, ZMax = 0, ZMin = 0;  // m
};

inline bool InsideZone(const LatticeZone& zone, double x, double y, double z) {
    return zone.XMin < x && x < zone.XMax && zone.YMin < y && y < zone.YMax &&
           zone.ZMin < z && z < zone.ZMax;
}

// ---------------------------------------------------------------------------
// Particle table: parallel arrays with entries 0..AtomCount.  Entry 0 is the
// projectile, 1..AtomCount the target atoms in target-file order.

struct ParticleTable {
    std::int32_t AtomCount = 0;
    std::vector<double> X, Y, Z;                 // position (m), z out of the surface
    std::vector<double> SiteX, SiteY, SiteZ;     // lattice sites as read (m); entry 0 unused
    std::vector<double> VX, VY, VZ;              // velocity (m/s)
    std::vector<double> FX, FY, FZ;              // force of this step (N)
    std::vector<double> PrevFX, PrevFY, PrevFZ;  // force of the previous step (N)
    std::vector<double> Density;                 // density sum rho of the last force evaluation
    std::vector<double> EmbeddingFactor;         // q = 0.5/sqrt(rho) of the same evaluation
    std::vector<double> Mass;                    // kg
    std::vector<std::int32_t> AtomicNumber;      // Z, 1..1000
    std::vector<std::uint32_t> Flags;            // ParticleFlag bits
    std::vector<std::uint32_t> InitialFlags;     // as read; restored into Flags every run
};

// ---------------------------------------------------------------------------
// Partner lists, stored compactly: the partners of particle i are
// Index[Start[i]] .. Index[Start[i + 1] - 1], each j > i.  DistSq holds
// squared distances in the same order: the projectile's row after every
// force evaluation, every row only after one that a fault sent pair by pair
// (the fast passes keep just the pairs within r_c, in their own scratch; a
// rebuild leaves room for the projectile's row only).  A rebuild fills the
// lists of i = 0..n in turn, so one flat array with offsets costs only the
// pairs that exist.  The capacity rule is
// still MaxPartners per particle: the partner that would make MaxPartners is
// the overflow.

struct PartnerLists {
    std::int32_t MaxPartners = 0;
    std::vector<std::uint32_t> Start;  // AtomCount + 2 offsets
    std::vector<std::int32_t> Index;
    std::vector<double> DistSq;
    // One more at every rebuild (and at sizing), so that what is derived
    // from the lists (the threaded force passes' blocks) knows when to be
    // derived again.  Code that writes Start or Index by hand counts it up.
    std::uint64_t Generation = 0;

    std::uint32_t Count(std::int32_t i) const { return Start[i + 1] - Start[i]; }
};

// Cell index of the neighbour search: 25 x 25 x 17 chains addressed by cell
// coordinates a, b in -12..12 (x, y) and c in -12..4 (z), stored flat at
// a*425 + b*17 + c + 5316.  Chains are head/next index arrays ending at -1,
// so filling and emptying the grid allocates nothing.
inline constexpr int CellGridSlots = 25 * 25 * 17;

// One particle of a chain as the search reads it.
struct CellNode {
    double X = 0, Y = 0, Z = 0;  // m
    std::int32_t Index = -1;     // -1 closes a chain
};

struct CellGrid {
    std::vector<std::int32_t> Head;  // CellGridSlots entries, -1 = empty chain
    std::vector<std::int32_t> Next;  // AtomCount + 1 entries
    // The chains laid end to end in slot order, each in its own order and
    // closed by a node of index -1, with the particles' positions beside
    // them: the search walks memory in order instead of following Next.
    std::vector<std::int32_t> ChainStart;  // CellGridSlots entries
    std::vector<CellNode> Nodes;
    // One particle's candidates while its list is searched: MaxPartners + 1.
    std::vector<std::int32_t> Gathered;
};

// The force evaluation's working copy of what a partner pass reads and
// writes, one record per particle: a partner then costs one cache line
// instead of four.  Sized once per job; the values live only during one
// evaluation (the particle table stays the record).
struct PackedParticle {
    double X = 0, Y = 0, Z = 0;  // m
    // The density sum during the density pass, the embedding factor q from
    // the embedding transform on (what the force pass reads).
    double DensityOrFactor = 0;
};

struct PackedForce {
    double X = 0, Y = 0, Z = 0;  // N
    double Unused = 0;           // pads the record to 32 bytes
};

// A value kept for one pair between the threaded passes.
struct PairValue {
    double X, Y, Z;  // left unset in a ScratchArray: every one is written before it is read
};

// The density pass also gathers, row by row and in list order, the pairs
// that lie within r_c, with their distance r: the force pass then walks only
// those, without a test per pair and without taking the root again.
//
// Threaded, the rows are cut into contiguous blocks and each row's gathered
// pairs lie in [InsideBegin[i], InsideEnd[i]), within the room of its
// block's lists.  A
// pair whose partner lies in a later block (and every pair of the projectile
// row when the projectile is no target atom) is "outgoing": its density share
// and its force are computed first and kept by entry, so that the partner's
// block can add them in list order without touching the other block's sums
// (core/forces.cpp derives the order).
struct ForceBlocks {
    // What the blocks were made for: the lists' Generation, the first density
    // row, the thread count.  Anything else makes them again.
    std::uint64_t Generation = 0;
    std::int32_t FirstRow = -1;
    int Threads = 0;
    std::vector<std::int32_t> BlockStart;   // blocks + 1 row boundaries, 0 .. AtomCount + 1
    std::vector<double> Share;              // each block's share of the weight at the cut
    std::vector<double> Seconds;            // each block's time since the cut
    std::vector<std::int32_t> OutChunkStart;  // row chunks of the passes over outgoing pairs
    std::vector<std::uint32_t> OutStart;    // AtomCount + 2: outgoing entries of row i
    std::vector<std::uint32_t> InStart;     // AtomCount + 2: incoming entries of particle p
    ScratchArray<std::uint32_t> EntryIn;    // per outgoing entry: its place among its partner's
                                            // incoming ones (ascending row and list order)
    std::vector<std::uint32_t> Cursor;      // AtomCount + 1: filling EntryIn
    ScratchArray<std::uint32_t> SlotIn;     // per kept value, this step: its entry's EntryIn
    ScratchArray<PairValue> Value;          // per slot, in row order: density share (X), then force
    ScratchArray<PairValue> InValue;        // per incoming place: the same values, or none
    std::vector<std::uint32_t> InsideBegin; // AtomCount + 1: row i's gathered pairs begin
    std::vector<std::uint32_t> InsideEnd;   // AtomCount + 1: and end
    std::vector<std::size_t> BlockGathered; // gathered pairs of each block, this step
};

struct ForceScratch {
    std::vector<PackedParticle> Particles;  // AtomCount + 1
    std::vector<PackedForce> Forces;        // AtomCount + 1
    std::vector<std::uint32_t> InsideStart;  // AtomCount + 2 offsets, like PartnerLists::Start
    ScratchArray<std::int32_t> InsideIndex;  // partner j
    ScratchArray<double> InsideDistance;     // r (m)
    std::size_t GatheredPairs = 0;           // pairs within r_c, last evaluation
    ForceBlocks Blocks;                      // threaded evaluation only
};

// Records of the OR and ST partner lists, newest first.
struct OrPartnerRecord {
    std::int32_t Partner = PartnerEnd;
    double LastDistSq = 0;  // smallest squared distance seen so far (m^2)
    bool Done = false;      // the event of this encounter has happened
};

struct StPartnerRecord {
    std::int32_t Partner = PartnerEnd;
    double LastDistSq = 0;    // m^2
    bool Inside = false;      // the pair has come within the ST radius
    double RadialEnergy = 0;  // J
    bool Done = false;
};

inline PairType PairTypeOfFlags(std::uint32_t flagsI, std::uint32_t flagsJ) {
    const bool bi = (flagsI & TypeB) != 0;
    const bool bj = (flagsJ & TypeB) != 0;
    if (bi != bj) return AB;
    return bi ? BB : AA;
}

}  // namespace vantrel
