// What the tests read back from the files and streams a job writes.
#pragma once

#include <string>
#include <vector>

#include "output/particle_sample.h"

namespace vantrel::testing {

// The whole 40-byte records of a particle record file, in file order.
std::vector<ParticleSample> ReadRecords(const std::string& path);
// The lines of a text, without their line ends.
std::vector<std::string> Lines(const std::string& text);
// How often what occurs in text.
int Occurrences(const std::string& text, const std::string& what);

}  // namespace vantrel::testing
