// Physical constants and unit conversions, each named once.
//
// The engine works in SI units (m, s, kg, J, m/s); input files and reports
// use A, fs, eV or keV, amu, degrees and K.  Several quantities appear with
// two or three values below.  That is deliberate: the stored log texts, the
// particle records and the events files of earlier jobs were made with these
// very numbers, and a job must repeat to the byte.  Each such value says who
// uses it, so that a new caller picks the right one instead of adding another.
#pragma once

#include <numbers>

namespace vantrel {

// Lengths, times, masses.
inline constexpr double MetresPerAngstrom = 1.0e-10;
inline constexpr double AngstromPerMetre = 1.0e10;
inline constexpr double FemtosecondsPerSecond = 1.0e15;
inline constexpr double SecondsPerFemtosecond = 1.0e-15;
// LAMMPS's metal units count time in ps (exported dumps).
inline constexpr double PicosecondsPerSecond = 1.0e12;
inline constexpr double FemtosecondsPerPicosecond = 1.0e3;
inline constexpr double KilogramsPerAmu = 1.66053e-27;

// The electronvolt.  Readers turn eV into J with 1.602192e-19; the reports
// turn J back into eV with the inverse of a slightly different value; the
// output filters and the expression language count 1.60219e-19 J; the events
// file prints with 6.241449214576e18.  Mixing them would change stored texts.
inline constexpr double JoulesPerEvInput = 1.602192e-19;     // readers
inline constexpr double EvPerJoule = 6.241449214576031e18;    // reports and log lines
inline constexpr double JoulesPerEvFilter = 1.60219e-19;      // output filters
// The expression language's EP: the same decimal, read in extended precision
// like every value of that language (not the double above widened).
inline constexpr long double JoulesPerEvExpression = 1.60219e-19L;
inline constexpr double EvPerJouleEvents = 6.241449214576e18;  // events-file columns
// Force differences in eV/A, for the table precision check: EvPerJoule / 1e10.
inline constexpr double EvPerAngstromPerNewton = 6.241449214576030838e8;
// Twice the joules of one keV as the readers count it: v^2 = KeVSpeedFactor E / m.
inline constexpr double KeVSpeedFactor = 3.204384e-16;

// e^2 / (4 pi eps0) (J m), the Coulomb constant of the screened repulsion.
inline constexpr double CoulombConstant = 2.30712175676602e-28;
// Four times it with the sign of the image force's numerator (J m); written
// out because it is not the double nearest to -4 CoulombConstant, and the
// image force of stored jobs was computed with this one.
inline constexpr double ImageForceConstant = -9.228487027064081641e-28;

// Boltzmann's constant (J/K), for the thermal displacements and velocities.
inline constexpr double BoltzmannConstant = 1.38066e-23;
// Three times it (J/K), as the cooling model's temperature T = 2 KE / (3 k_B N)
// has always used it; not the double nearest to 3 BoltzmannConstant.
inline constexpr double ThreeBoltzmann = 4.14198e-23;

// Angles.  The run file's beam directions convert with 360 / 2 pi; the
// expression language's DEG-valued variables have always used the rounded
// long double 57.29577951, and stored selections depend on it.
inline constexpr double DegreesPerRadian = 360.0 / (2.0 * std::numbers::pi);
inline constexpr long double DegreesPerRadianExpression = 57.29577951L;

// 0.4685 A, the Bohr radius times 0.8853: the prefactor of every screening
// length, of the Oen-Robinson exponent as of the screened repulsion (m).
inline constexpr double ScreeningLengthScale = 4.685e-11;

}  // namespace vantrel
