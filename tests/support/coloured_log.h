// The recorded log as "colour|text" lines, so that a test can compare the
// whole sequence of lines and colours at once and a failure shows both.
#pragma once

#include <string>
#include <vector>

#include "tests/support/recording_ui.h"

namespace vantrel::testing {

inline std::string ColourName(LogColour c) {
    if (c == ColourBlack) return "black";
    if (c == ColourRed) return "red";
    if (c == ColourBlue) return "blue";
    if (c == ColourMagenta) return "magenta";
    if (c == ColourDarkGreen) return "darkgreen";
    if (c == ColourDarkRed) return "darkred";
    if (c == ColourGrey) return "grey";
    return "rgb(" + std::to_string(c.Red) + "," + std::to_string(c.Green) + "," +
           std::to_string(c.Blue) + ")";
}

inline std::vector<std::string> ColouredLog(const RecordingUserInterface& ui) {
    std::vector<std::string> lines;
    for (const UiEvent& event : ui.LogEvents()) lines.push_back(ColourName(event.Colour) + "|" + event.Text);
    return lines;
}

}  // namespace vantrel::testing
