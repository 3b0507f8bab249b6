// The colours of log lines, shared by the log, its rich-text files and the
// windows that show it.
#pragma once

#include <cstdint>

namespace vantrel {

// 24-bit colour of a log line.
struct LogColour {
    std::uint8_t Red = 0;
    std::uint8_t Green = 0;
    std::uint8_t Blue = 0;
    friend constexpr bool operator==(LogColour, LogColour) = default;
};

inline constexpr LogColour ColourBlack{0, 0, 0};          // ordinary report lines
inline constexpr LogColour ColourRed{255, 0, 0};          // errors, warnings, aborts
inline constexpr LogColour ColourBlue{0, 0, 255};         // headlines and results
inline constexpr LogColour ColourMagenta{255, 0, 255};    // run counts, target facts
inline constexpr LogColour ColourDarkGreen{0, 128, 0};    // momentum lines, file lists
inline constexpr LogColour ColourDarkRed{128, 0, 0};      // inelastic collision events
inline constexpr LogColour ColourGrey{128, 128, 128};     // particle-1 lines

}  // namespace vantrel
