// What a run did to the crystal, read from the whole particle table when it
// ends: which target atoms were sputtered, where the projectile went, and
// whether the cascade had finished near the surface.
//
// Heights are measured from the surface plane z_s, the height of the top
// layer's lattice sites; the crystal's lower face is the lowest site z_b.
// With r_c the model's cut-off radius, U_s the planar surface-binding
// energy and, when the model has one, B the planar surface barrier at the
// plane z_B:
//
//   sputtered    a target atom that has left for good: more than r_c above
//                the surface (nothing of the crystal reaches it), or above the
//                surface and moving out with normal kinetic energy
//                m v_z^2 / 2 > U_s (+ B while it has still to cross the
//                barrier).  With a barrier, an atom above z_B counts only once
//                it has passed the barrier (LeftSurface); one the barrier has
//                turned back does not.
//   vibrating    any other target atom more than 0.5 A above the surface and
//                moving out: a surface atom in its thermal motion, an adatom,
//                or an atom still climbing that will fall back.
//   left bottom  a target atom that has left through the lower face: the
//                test of a sputtered atom mirrored (no barrier acts there),
//                with the distance below the lowest site and the downward
//                normal energy.  Above 0.5 A below the lowest site no atom
//                counts: a free crystal's faces breathe by some tenths of an
//                angstrom.
//   left side    the same through one of the four side faces (the lateral
//                extent of the sites): a recoil the finite crystal lets go
//                that a wider one would have kept.
//   fast         a bound target atom within r_c of the surface (above or
//                below) whose kinetic energy exceeds U_s: the cascade had not
//                finished there when the run ended, so later sputtering may
//                have been missed.
//
// The projectile, in this order: transmitted when it leaves through the
// lower face, reflected when it leaves upwards, left side when it leaves
// through a side face (the tests of a target atom with U_s = 0, since the
// screened repulsion does not bind it, or the very tests of a target atom
// in a self-bombardment; reflected also needs it more than 0.5 A above the
// surface and moving out); trapped when it is more than 0.5 A above the
// surface without leaving (under the barrier, or moving back in); stopped
// otherwise, at depth z_s - z.
//
// Angles: the polar angle of a momentum from the normal pointing away from
// the crystal on the side the particle left by (+z for the surface, -z for
// the lower face), the azimuth of its in-plane part from +x towards +y in
// [0, 2 pi).
#pragma once

#include <cstdint>
#include <vector>

#include "core/model_parameters.h"
#include "core/particles.h"
#include "core/result_records.h"

namespace vantrel {

// Heights within which an atom still counts as at the surface or the lower
// face: the emission filters' 0.5 A.
inline constexpr double SurfaceMargin = 5.0e-11;  // m

struct OutcomeGeometry {
    double SurfaceZ = 0;        // m, top layer of the lattice sites
    double BottomZ = 0;         // m, lowest lattice site
    double XMin = 0, XMax = 0;  // m, lateral extent of the lattice sites
    double YMin = 0, YMax = 0;
    double CutoffRadius = 0;    // m
    double SurfaceBinding = 0;  // J, U_s
    double BarrierEnergy = 0;   // J, 0: no barrier
    double BarrierPlane = 0;    // m, where the barrier acts (with BarrierEnergy > 0)
    bool ProjectileBound = false;  // self-bombardment: the projectile is a target atom
};

struct SputteredAtom {
    std::int32_t Index = 0;
    double Energy = 0;   // J
    double Polar = 0;    // rad
    double Azimuth = 0;  // rad
    double Height = 0;   // m above the surface
};

struct RunOutcome {
    std::int32_t Sputtered = 0;
    std::int32_t Vibrating = 0;
    std::int32_t LeftBottom = 0;
    std::int32_t LeftSide = 0;
    std::int32_t FastNearSurface = 0;
    ProjectileFate Projectile = ProjectileFate::Stopped;
    double ProjectileEnergy = 0;              // J
    double ProjectilePolar = NotApplicable;   // rad, reflected or transmitted
    double ProjectileAzimuth = NotApplicable;  // rad
    double ProjectileDepth = NotApplicable;   // m below the surface, stopped or trapped
};

// Classifies particles 0..AtomCount of p as above.  The sputtered atoms are
// written to sputtered in index order (it is cleared first; with room for
// AtomCount atoms reserved nothing is allocated).
RunOutcome ClassifyRun(const ParticleTable& p, const OutcomeGeometry& g,
                       std::vector<SputteredAtom>& sputtered);

// Layer of every target atom's lattice site, 1 for the top layer: the site
// heights sorted from the top, a new layer wherever two neighbours in that
// order lie more than tolerance apart.  layers gets AtomCount + 1 entries
// (entry 0, the projectile, is 0).  Returns the number of layers.  Run once
// per job: it sorts a copy of the heights.
std::int32_t SiteLayers(const ParticleTable& p, double tolerance, std::vector<std::int32_t>& layers);

// Highest and lowest lattice site of the target atoms (m).
void SiteHeights(const ParticleTable& p, double& top, double& bottom);
// The lattice sites' extent in x and y (m) into g.XMin .. g.YMax.
void SiteExtent(const ParticleTable& p, OutcomeGeometry& g);

// The lattice site nearest to the middle of the crystal: laterally at the
// centre of the sites, half-way between the top and the lowest layer.
// Species A only; 0 when there is none.
std::int32_t CentralSite(const ParticleTable& p);

// Cohesive energy (J, negative when bound) of target atom i0 with every
// target atom on its lattice site: the energy sums' CohesiveEnergy on the
// perfect crystal around it, so that it does not depend on a run's thermal
// displacements.  The planar surface-binding energy defaults to its
// magnitude.  Builds a small table of the neighbourhood: once per job.
double LatticeCohesiveEnergy(const ParticleTable& p, const ModelParameters& model,
                             bool binaryTarget, std::int32_t i0);

// Polar angle of (vx, vy, vz) from the axis (0, 0, sign) and azimuth of its
// in-plane part, in radians.  A zero vector has polar 0 and azimuth 0.
void MomentumAngles(double vx, double vy, double vz, double sign, double& polar,
                    double& azimuth);

}  // namespace vantrel
