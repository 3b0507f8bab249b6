// Shared pieces of the fuzz targets: a silent user interface and a scratch
// file that holds the fuzzer's bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/user_interface.h"

namespace vantrel::fuzz {

// Inputs are capped so that one run stays fast.
inline constexpr std::size_t MaxInputBytes = 16384;

class SilentUserInterface : public UserInterface {
public:
    void AppendLogLine(std::string_view, LogColour) override {}
    void SetStatusText(std::string_view) override {}
    void PlotUpdate(const PlotSnapshot&) override {}
    void PlotReset() override {}
    void ErrorBox(std::string_view) override {}
    void WarningBox(std::string_view) override {}
    bool AskYesNo(std::string_view, QuestionKind) override { return true; }
    void ProcessPendingEvents() override {}
    void Beep() override {}
    void ExpressionError(std::string_view) override {}
    void RefreshMemoryDisplay() override {}
};

// Writes the bytes to a per-process scratch file and returns its path.
std::string WriteScratchFile(const std::uint8_t* data, std::size_t size, const char* suffix);

}  // namespace vantrel::fuzz
