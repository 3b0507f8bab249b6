#include "output/particle_sample.h"

#include <bit>

namespace vantrel {

namespace {

void PutWord(SampleRecord& record, std::size_t offset, std::uint32_t word) {
    record[offset] = static_cast<std::uint8_t>(word);
    record[offset + 1] = static_cast<std::uint8_t>(word >> 8);
    record[offset + 2] = static_cast<std::uint8_t>(word >> 16);
    record[offset + 3] = static_cast<std::uint8_t>(word >> 24);
}

std::uint32_t GetWord(const SampleRecord& record, std::size_t offset) {
    return static_cast<std::uint32_t>(record[offset]) |
           static_cast<std::uint32_t>(record[offset + 1]) << 8 |
           static_cast<std::uint32_t>(record[offset + 2]) << 16 |
           static_cast<std::uint32_t>(record[offset + 3]) << 24;
}

}  // namespace

ParticleSample BuildSample(std::int32_t index, std::int32_t runNumber, double x, double y,
                           double z, double px, double py, double pz, double time,
                           double mass) {
    ParticleSample s;
    s.X = static_cast<float>(x);
    s.Y = static_cast<float>(y);
    s.Z = static_cast<float>(z);
    s.PX = static_cast<float>(px);
    s.PY = static_cast<float>(py);
    s.PZ = static_cast<float>(pz);
    s.Time = static_cast<float>(time);
    s.Mass = static_cast<float>(mass);
    s.Index = index;
    s.RunNumber = runNumber;
    return s;
}

SampleRecord EncodeSample(const ParticleSample& s) {
    SampleRecord r{};
    const float reals[8] = {s.X, s.Y, s.Z, s.PX, s.PY, s.PZ, s.Time, s.Mass};
    for (std::size_t k = 0; k < 8; ++k) PutWord(r, 4 * k, std::bit_cast<std::uint32_t>(reals[k]));
    PutWord(r, 32, static_cast<std::uint32_t>(s.Index));
    PutWord(r, 36, static_cast<std::uint32_t>(s.RunNumber));
    return r;
}

ParticleSample DecodeSample(const SampleRecord& r) {
    ParticleSample s;
    float* reals[8] = {&s.X, &s.Y, &s.Z, &s.PX, &s.PY, &s.PZ, &s.Time, &s.Mass};
    for (std::size_t k = 0; k < 8; ++k) *reals[k] = std::bit_cast<float>(GetWord(r, 4 * k));
    s.Index = static_cast<std::int32_t>(GetWord(r, 32));
    s.RunNumber = static_cast<std::int32_t>(GetWord(r, 36));
    return s;
}

}  // namespace vantrel
