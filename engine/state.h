// Everything one job needs, in one record passed by reference to every
// simulation operation.  The run driver creates it when a job starts and
// drops it when the job ends; nothing of it survives the job.
//
// Units inside the engine: m, s, kg, J, m/s.  Conversion to A, fs, eV, amu
// happens only in the readers and reports.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "engine/program.h"

namespace vantrel {

// ---------------------------------------------------------------------------
// Physical constants and conversions, named once.

inline constexpr double MetresPerAngstrom = 1.0e-10;
inline constexpr double AngstromPerMetre = 1.0e10;
inline constexpr double FemtosecondsPerSecond = 1.0e15;
inline constexpr double SecondsPerFemtosecond = 1.0e-15;
inline constexpr double KilogramsPerAmu = 1.66053e-27;
inline constexpr double JoulesPerEvInput = 1.602192e-19;        // readers
inline constexpr double EvPerJoule = 6.241449214576031e18;       // reports
inline constexpr double JoulesPerEvFilter = 1.60219e-19;         // filters, expressions
inline constexpr double CoulombConstant = 2.30712175676602e-28;  // J m: e^2 / (4 pi eps0)
inline constexpr double BoltzmannConstant = 1.38066e-23;         // J/K

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
    std::vector<double> Density;                 // density sum, then embedding factor 0.5/sqrt(rho)
    std::vector<double> Mass;                    // kg
    std::vector<std::int32_t> AtomicNumber;      // Z, 1..1000
    std::vector<std::uint32_t> Flags;            // ParticleFlag bits
    std::vector<std::uint32_t> InitialFlags;     // as read; restored into Flags every run
};

// ---------------------------------------------------------------------------
// Partner lists, stored compactly: the partners of particle i are
// Index[Start[i]] .. Index[Start[i + 1] - 1], each j > i, and DistSq holds
// their squared distances in the same order (written by the force
// evaluation).  A rebuild fills the lists of i = 0..n in turn, so one flat
// array with offsets costs only the pairs that exist.  The capacity rule is
// still MaxPartners per particle: the partner that would make MaxPartners is
// the overflow.

struct PartnerLists {
    std::int32_t MaxPartners = 0;
    std::vector<std::uint32_t> Start;  // AtomCount + 2 offsets
    std::vector<std::int32_t> Index;
    std::vector<double> DistSq;

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
};

// The force evaluation's working copy of what a partner pass reads and
// writes, one record per particle: a partner then costs one cache line
// instead of four.  Sized once per job by the force evaluation; the values
// live only during one evaluation (the particle table stays the record).
struct PackedParticle {
    double X = 0, Y = 0, Z = 0;  // m
    double Density = 0;          // density sum, then embedding factor
};

struct PackedForce {
    double X = 0, Y = 0, Z = 0;  // N
    double Unused = 0;           // pads the record to 32 bytes
};

// The density pass also gathers, row by row and in list order, the pairs
// that lie within r_c, with their distance r: the force pass then walks only
// those, without a test per pair and without taking the root again.
struct ForceScratch {
    std::vector<PackedParticle> Particles;  // AtomCount + 1
    std::vector<PackedForce> Forces;        // AtomCount + 1
    std::vector<std::uint32_t> InsideStart;  // AtomCount + 2 offsets, like PartnerLists::Start
    std::vector<std::int32_t> InsideIndex;   // partner j
    std::vector<double> InsideDistance;      // r (m)
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

// ---------------------------------------------------------------------------
// Values read from the input files.

struct InputFileSet {
    std::string Projectile = "*.prj";
    std::string Target = "*.trg";
    std::string Model = "*.mdl";
    std::string Run = "*.run";
    std::string Impact = "*.imp";
    std::string Inelastic = "*.inl";
};

struct OutputFileSet {
    std::string InitialConditions = "inivars.vsk";
    std::string DynamicalVariables = "dynvars.vsk";
    std::string InelasticEvents = "inelast.dat";
};

struct ProjectileData {
    double Energy = 0;                 // keV
    std::int32_t AtomicNumber = 0;
    double ProjectileMass = 0;         // amu
    std::int32_t FlagWord = 0;         // ParticleFlag bits of particle 0
    std::string ProjectileName;        // at most 10 characters
};

struct RunParameters {
    std::int32_t SampleMode = 0;             // 0 none, 1 at termination, 2 periodic, 3 both
    std::int32_t SamplePeriod = 0;           // timesteps; 0 becomes 65535
    bool SkipRecorded = false;               // periodic samples skip Recorded particles
    std::int32_t OutputSelection = 0;        // 0..8: chooses the output filter
    double Altitude = 0;                     // rad, beam elevation above the surface plane
    double Azimuth = 0;                      // rad, from the x axis
    double InitialTimestep = 0;              // s
    std::int32_t PartnerUpdateInterval = 0;  // timesteps between partner-list rebuilds
    double MaxTime = 0;                      // s
    double MinTime = 0;                      // s
    std::int32_t MaxPartners = 0;            // at most 500
    std::string SelectionExpression;         // mode 8, at most 255 characters
};

struct ImpactPoint {
    double DeltaX = 0;       // A, aim offset from target atom 1
    double DeltaY = 0;       // A
    double StartHeight = 0;  // A above target atom 1
};

// Seven screening exponents (1/m): b1..b4 of the universal function, then
// m1..m3 of the Moliere function, each the dimensionless constant over the
// pair's screening length.
struct ScreeningRecord {
    std::array<double, 7> Exponent{};
};

// Per-pair values are indexed by PairType (1 AA, 2 BB, 3 AB); index 0 is unused.
using PairValues = std::array<double, 4>;

struct ModelParameters {
    std::int32_t ProjectileScreeningCode = 0;
    double ProjectileScreeningFactor = 0;
    std::int32_t TargetScreeningCode = 0;
    double TargetScreeningFactor = 0;
    std::int32_t PotentialType = 0;  // 0 Sutton-Chen, otherwise Tight-Binding
    PairValues PairEnergy{};         // J: Sutton-Chen epsilon, Tight-Binding A
    PairValues PairLength{};         // m: Sutton-Chen a, Tight-Binding r0
    PairValues RepulsiveExponent{};  // Sutton-Chen n, Tight-Binding p
    PairValues DensityExponent{};    // Sutton-Chen m, Tight-Binding q
    PairValues AttractiveWeight{};   // d
    PairValues DensityStrength{};    // Sutton-Chen c, Tight-Binding xi (J)
    PairValues Reserved{};
    double SplineLowRadius = 0;      // m, r_lo
    double SplineHighRadius = 0;     // m, r_hi
    double SplineHighRadiusSq = 0;   // m^2
    double CutoffRadius = 0;         // m, r_c
    bool UseSwitching = false;
    double SwitchRadius = 0;         // m, r_sw
    std::int32_t StaticLattice = 0;  // 0: thermal displacements every run
    double ModelMass = 0;            // amu, for the cross-check with the target file
    double TargetTemperature = 0;    // K
    double SurfaceBarrier = 0;       // J, 0 = none
    double SideBarrier = 0;          // J, 0 = none
    double TerminationEnergy = 0;    // J
    bool ProjectileOnlyTest = false;
    double MsdBulkA = 0, MsdSurfaceNormalA = 0, MsdSurfaceInPlaneA = 0;  // A^2
    double MsdBulkB = 0, MsdSurfaceNormalB = 0, MsdSurfaceInPlaneB = 0;  // A^2
    std::array<std::array<double, 4>, 4> SplineCoefficients{};  // [PairType][c0..c3], SI

    // Derived.
    bool NBodyActive = false;
    PairValues ProjectileScreeningLength{};  // m
    PairValues TargetScreeningLength{};      // m
    std::array<ScreeningRecord, 4> ProjectileScreening{};
    std::array<ScreeningRecord, 4> TargetScreening{};
};

// The nine single-precision tables, one of each kind per PairType, entries
// k = 2500..50000 at r = k * 4e-14 m (1 A to 20 A), position k - 2500.  One
// spare zero entry after k = 50000 lets a look-up at exactly 20 A interpolate.
inline constexpr int TableFirstIndex = 2500;
inline constexpr int TableLastIndex = 50000;
inline constexpr int TableEntries = TableLastIndex - TableFirstIndex + 1;  // 47501
inline constexpr double TableScale = 2.5e13;                              // 1/m
inline constexpr double TableStep = 4.0e-14;                              // m
// The density tables hold rho times 2^100: rho itself (J^2, some 1e-38 for
// the metals' potentials and less towards r_c) would fall among the
// subnormal floats and lose its precision there.  A power of two scales
// without rounding; the look-up multiplies by the exact inverse.
inline constexpr double DensityTableScale = 0x1p100;
inline constexpr double DensityTableUnscale = 0x1p-100;

struct PotentialTables {
    bool Allocated = false;
    std::array<std::vector<float>, 4> Density;       // rho(r) * DensityTableScale
    std::array<std::vector<float>, 4> DensityForce;  // rho'(r)/r
    std::array<std::vector<float>, 4> PairForce;     // -phi'(r)/r, spline below r_hi
};

struct LssEntry {
    std::int32_t AtomicNumber = 0;
    double LssCoefficient = 0;
};

struct OrEntry {
    std::int32_t AtomicNumber = 0;  // key: product of the pair's atomic numbers
    double OrCoefficient = 0;
};

struct StEntry {
    std::int32_t AtomicNumber = 0;  // key: product of the pair's atomic numbers
    double StEnergy = 0;            // J, one excitation
    double StRadius = 0;            // m
    std::int32_t StOrder = 0;       // most excitations in one event
    double StValue = 0;             // probability of each excitation trial
};

inline constexpr int InelasticTableSize = 10;

struct InelasticParameters {
    std::array<LssEntry, InelasticTableSize> LssTable{};
    int LssCount = 0;
    double LssSpeedThreshold = 0;  // m/s
    std::array<OrEntry, InelasticTableSize> OrTable{};
    int OrCount = 0;
    double OrScreeningCoefficient = 0;
    std::array<StEntry, InelasticTableSize> StTable{};
    int StCount = 0;
    double CoolingPeriod = 0;   // s
    double CoolingGoal = 0;     // K
    double CoolingStart = 0;    // s
    double CoolingEnd = 0;      // s
    double ImageEnergy = 0;     // J
    double ImageDistance = 0;   // m
    double ImageLengthSquare = 0;  // m^2
};

// ---------------------------------------------------------------------------
// The working values of one trajectory.

struct TrajectoryState {
    double Time = 0;                     // s since the start of the trajectory
    std::int32_t StepCount = 0;
    double Timestep = 0;                 // s
    double StepLength = 0;               // m, v0 * InitialTimestep
    double FastestSpeed = 0;             // m/s
    std::int32_t FastestIndex = 0;
    double WatchedSpeed = 0;             // m/s
    std::int32_t WatchedIndex = 0;
    std::int32_t StepsSinceRebuild = 0;
    double SurfaceEnergySum = 0;         // J
    double SideEnergySum = 0;            // J
    double InitialTotalEnergy = 0;       // eV
    bool ContinueJob = true;
    LatticeZone Zone;
};

struct FileCloser {
    void operator()(std::FILE* file) const {
        if (file) std::fclose(file);
    }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

// The parsed form of the selection expression (output/selection_program.h).
struct SelectionCache;

// Output files that have already reported a failure in this job; each
// reports once, so a full disk does not flood the log.
struct OutputFailureNotes {
    bool InitialConditions = false;
    bool DynamicalVariables = false;
    bool InelasticEvents = false;
};

// Number of LSS channel sums: groups 0 (projectile) and 1 (target), codes 0, 4, 10.
inline constexpr int LssChannelCount = 6;

// ---------------------------------------------------------------------------

struct SimulationState {
    explicit SimulationState(ProgramContext& program) : Program(program) {}
    SimulationState(const SimulationState&) = delete;
    SimulationState& operator=(const SimulationState&) = delete;

    ProgramContext& Program;
    SimulationOptions& Options() { return Program.Options; }
    UserInterface& Ui() { return Program.Ui; }

    InputFileSet Inputs;
    OutputFileSet Outputs;

    ParticleTable Particles;
    PartnerLists Partners;
    CellGrid Cells;
    ForceScratch Scratch;
    std::vector<std::vector<OrPartnerRecord>> OrPartners;  // only with UseOR
    std::vector<std::vector<StPartnerRecord>> StPartners;  // only with UseST

    ProjectileData Projectile;
    RunParameters Run;
    ImpactPoint Impact;
    ModelParameters Model;
    PotentialTables Tables;
    InelasticParameters Inelastic;
    std::string SelectionText;  // the compiled selection expression (upper case)
    // Parsed once, replayed for every particle; rebuilt when SelectionText changes.
    std::shared_ptr<SelectionCache> SelectionCompiled;

    // Target facts.
    bool BinaryTarget = false;
    double SurfaceZ = 0;  // m
    std::int32_t LastAtomicNumber = 0;
    LatticeZone Zone;

    // Neighbour search geometry and list radius.
    double CellEdge = 4.0e-10;  // m, w; grown by the target set-up only
    double GridHalfWidth = 0;   // m, 12 w
    double GridTop = 0;         // m, 4 w
    double ListRadius = 0;      // m
    double ListRadiusSq = 0;    // m^2
    bool CoolingActive = false;
    std::int32_t MaxPartnersUsed = 0;

    // Job counters.
    std::int32_t RunCounter = 0;
    std::int32_t RunOffsetCopy = 0;
    bool BatchMode = false;
    std::int32_t RunNumber() const { return RunCounter + RunOffsetCopy; }

    // Energy bookkeeping (J unless noted).
    double LssLoss = 0, OrLoss = 0, StLoss = 0;
    double LssLossSum = 0, OrLossSum = 0, StLossSum = 0;
    std::array<double, LssChannelCount> LssChannel{};
    double EnergyErrorSum = 0;     // %
    double ReportedKinetic = 0;    // eV
    double ReportedPotential = 0;  // eV

    // Files held open during the job.
    FileHandle DynamicalFile;  // 40-byte records, open when SampleMode != 0
    FileHandle EventsFile;     // text, open when inelastic events are stored
    OutputFailureNotes OutputFailuresShown;
};

// ---------------------------------------------------------------------------
// Allocation and release, in the job's order.

// Particle arrays (all but Mass and AtomicNumber) for AtomCount + 1 entries.
void AllocateParticleTable(SimulationState& state, std::int32_t atomCount);
// Mass and AtomicNumber.
void AllocateMassAndAtomicNumber(SimulationState& state);
// Partner lists, the cell grid (cell-index search) and the OR/ST lists (when used).
void AllocatePartnerLists(SimulationState& state, std::int32_t maxPartners);
// Points the graph snapshot at the job's arrays (positions or velocities).
void FillPlotSnapshot(SimulationState& state);
// Releases the partner lists, then Mass and AtomicNumber, then the particle
// table with the model's tables; clears the graph snapshot.
void ReleaseJobArrays(SimulationState& state);

inline PairType PairTypeOfFlags(std::uint32_t flagsI, std::uint32_t flagsJ) {
    const bool bi = (flagsI & TypeB) != 0;
    const bool bj = (flagsJ & TypeB) != 0;
    if (bi != bj) return AB;
    return bi ? BB : AA;
}

}  // namespace vantrel
