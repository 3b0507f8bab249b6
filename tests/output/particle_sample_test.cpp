#include "output/particle_sample.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

TEST(ParticleSampleRecord, BytesAreLittleEndianInFieldOrder) {
    const ParticleSample sample = BuildSample(7, -2, 1.0, -2.0, 0.5, 0.25, 3.0, -0.125, 1.5, 2.0);
    const SampleRecord expected = {
        0x00, 0x00, 0x80, 0x3F,  0x00, 0x00, 0x00, 0xC0,  0x00, 0x00, 0x00, 0x3F,
        0x00, 0x00, 0x80, 0x3E,  0x00, 0x00, 0x40, 0x40,  0x00, 0x00, 0x00, 0xBE,
        0x00, 0x00, 0xC0, 0x3F,  0x00, 0x00, 0x00, 0x40,  0x07, 0x00, 0x00, 0x00,
        0xFE, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(EncodeSample(sample), expected);

    // The projectile of run 7 (the user guide's example).
    SampleRecord projectile = expected;
    for (std::size_t k = 32; k < 40; ++k) projectile[k] = 0;
    projectile[36] = 7;
    EXPECT_EQ(EncodeSample(BuildSample(0, 7, 1.0, -2.0, 0.5, 0.25, 3.0, -0.125, 1.5, 2.0)),
              projectile);
}

TEST(ParticleSampleRecord, RealsAreRoundedToSingleOnlyWhenBuilt) {
    // The double product is formed first and then rounded once.
    const double mass = 1.0552e-25, v = 1234.567891;
    const ParticleSample sample = BuildSample(0, 1, 0, 0, 0, mass * v, 0, 0, 0, mass);
    EXPECT_EQ(sample.PX, static_cast<float>(mass * v));
    EXPECT_EQ(sample.Mass, static_cast<float>(mass));
    const ParticleSample back = DecodeSample(EncodeSample(sample));
    EXPECT_EQ(back.PX, sample.PX);
    EXPECT_EQ(back.Mass, sample.Mass);
    EXPECT_EQ(back.Index, 0);
    EXPECT_EQ(back.RunNumber, 1);
}

}  // namespace
}  // namespace vantrel
