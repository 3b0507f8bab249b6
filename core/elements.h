// The chemical elements by atomic number: symbol and standard atomic weight.
// For naming particles in exported files, where the records hold a mass but
// no atomic number.
#pragma once

#include <cstdint>
#include <string_view>

namespace vantrel {

inline constexpr std::int32_t HeaviestElement = 118;

// "H" for 1 .. "Og" for 118; "X" (an unknown species, as ASE and OVITO read
// it) for 0 and any number outside the table.
std::string_view ElementSymbol(std::int32_t atomicNumber);

// The standard atomic weight (amu) of an element; for elements without a
// stable isotope the mass number of the longest-lived one.  0 outside the
// table.
double StandardAtomicWeight(std::int32_t atomicNumber);

// The element whose standard atomic weight lies nearest to mass (amu); 0 for
// a mass that is not positive or lies more than 5 amu beyond the heaviest.
// A guess: isotopes and nearby weights (Co 58.93, Ni 58.69) can mislead.
std::int32_t ElementNearestMass(double amu);

}  // namespace vantrel
