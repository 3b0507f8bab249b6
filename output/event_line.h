// Lines of the inelastic-events file (*.dat): a plain text table without a
// header, one line per event, columns separated by one blank.  Integers are
// right-aligned, reals in fixed notation right-aligned; a value that needs
// more room than its width widens its field.
//
//   column  format        content (kinds 0 and 1)          content (kind 2)
//    1      int, 5        run number                       run number
//    2      int, 4        first particle index i           group: 0 projectile, 1 target
//    3      int, 4        second particle index j          0
//    4      real 9.3      energy change (eV, negative)     channel total (eV)
//    5      real 8.5      closest approach R_min (A)       0
//    6      real 8.5      distance after the event (A)     0
//    7      real 8.5      mean height of the pair (A)      0
//    8      real 9.4      current timestep (fs)            current timestep (fs)
//    9      real 10.3     relative energy (eV)             0
//   10, 11  kind, code    " 0   0" Oen-Robinson;  " 1 " + excitations (int, 2) Shapiro-Tombrello;
//                         " 2 " + channel code 0, 4 or 10 (int, 2) LSS totals
//
// The event record carries SI values; they are converted here with the
// file's own factors (EvPerJouleEvents, A per m, fs per s).
#pragma once

#include <cstdint>
#include <string>

#include "core/inelastic_event.h"

namespace vantrel {

// The line without its line end.
std::string FormatEventLine(const InelasticEvent& event);

}  // namespace vantrel
