// The per-run results of a job as its two result tables hold them: one row
// per run, one row per sputtered atom.  The writers (output/result_tables.h)
// and the readers (io/result_tables.h) share these records; the statistics
// (core/result_statistics.h) work on them.
//
// Units are those of the tables: A, eV, degrees, fs.  A value that does not
// apply (the direction of a stopped projectile, the energy error of a job
// without energy reports) is NaN and an empty field in the table.
#pragma once

#include <cstdint>
#include <limits>
#include <string_view>
#include <utility>
#include <vector>

namespace vantrel {

inline constexpr double NotApplicable = std::numeric_limits<double>::quiet_NaN();

// Where the projectile is when the run ends.
enum class ProjectileFate : std::uint8_t {
    Stopped,      // inside the crystal
    Reflected,    // above the surface and leaving for good
    Transmitted,  // below the crystal
    Trapped,      // above the surface but not leaving: held under the planar
                  // barrier, or on its way back in when the run ended
    LeftSide,     // out through a side face of the finite crystal
};

// "stopped", "reflected", "transmitted", "trapped", "side": the table's words.
std::string_view FateName(ProjectileFate fate);
// The fate a table word names; false for any other text.
bool FateFromName(std::string_view name, ProjectileFate& fate);

struct RunResultRecord {
    std::int32_t Run = 0;
    // The beam: energy, projectile, incidence from the surface normal and azimuth.
    double IonEnergy = 0;         // eV
    std::int32_t IonZ = 0;
    double IncidencePolar = 0;    // deg, 0 = normal incidence
    double IncidenceAzimuth = 0;  // deg
    // The impact line: aim offsets from atom 1 and start height (A).
    double ImpactX = 0, ImpactY = 0, StartHeight = 0;
    // Target atoms that have left the crystal upwards, in all and by atomic
    // number (ascending Z, every species of the target, zeros included).
    std::int32_t Sputtered = 0;
    std::vector<std::pair<std::int32_t, std::int32_t>> SputteredBySpecies;
    std::int32_t Vibrating = 0;        // above the surface, moving out, still bound
    std::int32_t LeftBottom = 0;       // target atoms below the crystal
    std::int32_t LeftSide = 0;         // target atoms out through a side face
    std::int32_t FastNearSurface = 0;  // bound atoms near the surface above the binding energy
    ProjectileFate Projectile = ProjectileFate::Stopped;
    double ProjectileEnergy = 0;  // eV, kinetic energy at the end of the run
    double ProjectilePolar = NotApplicable;    // deg, from the normal it left by
    double ProjectileAzimuth = NotApplicable;  // deg, 0..360
    double ProjectileDepth = NotApplicable;    // A below the surface (negative: above)
    double EnergyError = NotApplicable;        // % of (KE + |PE|)
    std::int32_t Timesteps = 0;
    double Time = 0;             // fs
    double SurfaceBinding = 0;   // eV, the binding energy the classification used
};

struct SputteredRecord {
    std::int32_t Run = 0;
    std::int32_t Index = 0;  // particle index in the target file order
    std::int32_t AtomicNumber = 0;
    std::int32_t Layer = 0;     // layer of origin, 1 = the top layer
    double OriginDepth = 0;     // A below the surface of the initial site
    double Energy = 0;          // eV, kinetic energy at the end of the run
    double Polar = 0;           // deg, momentum from the outward normal (0..90)
    double Azimuth = 0;         // deg, momentum in the surface plane from +x (0..360)
    double Height = 0;          // A above the surface at the end of the run
};

}  // namespace vantrel
