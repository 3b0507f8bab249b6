// Shared pieces of the fuzz targets: the input cap and a scratch
// file that holds the fuzzer's bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "job/user_interface.h"

namespace vantrel::fuzz {

// Inputs are capped so that one run stays fast.
inline constexpr std::size_t MaxInputBytes = 16384;

// Writes the bytes to a per-process scratch file and returns its path.
std::string WriteScratchFile(const std::uint8_t* data, std::size_t size, const char* suffix);

}  // namespace vantrel::fuzz
