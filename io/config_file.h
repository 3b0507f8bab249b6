// The configuration file (*.cfg, default "vantrel.cfg"): the 40-byte option
// block of core/options.h, byte for byte, little-endian on any host.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/options.h"

namespace vantrel {

inline constexpr std::size_t OptionsRecordSize = 40;
using OptionsRecord = std::array<std::uint8_t, OptionsRecordSize>;
// Offset of the LoadOptionsAtStart byte, which start-up reads on its own.
inline constexpr std::size_t LoadOptionsAtStartOffset = 28;

// The 40-byte file image, little-endian on any host, reserved bytes 0.
OptionsRecord EncodeOptions(const SimulationOptions& options);
// Any non-zero boolean byte reads as true; reserved bytes are ignored.
SimulationOptions DecodeOptions(const OptionsRecord& record);

// "vantrel.cfg" expanded against the current directory, cut to 255 characters.
std::string DefaultConfigFilePath();

// Reads one record from path into record; false when the file is missing,
// unreadable or shorter than 40 bytes.
bool ReadOptionsRecord(std::string_view path, OptionsRecord& record);

// Writes one record to path, replacing the file; false when it could not be
// created or written whole.
bool WriteOptionsRecord(std::string_view path, const OptionsRecord& record);

}  // namespace vantrel
