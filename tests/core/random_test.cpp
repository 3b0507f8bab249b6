#include "core/random.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

TEST(RandomGenerator, FollowsTheLinearCongruentialSequence) {
    RandomGenerator random;
    random.Seed(1);
    // state 1 -> 134775814 -> 134775814 * 134775813 + 1 (mod 2^32) -> ...
    std::uint32_t state = 1;
    for (int k = 0; k < 1000; ++k) {
        state = state * 134775813u + 1u;
        const double expected = state / 4294967296.0;
        ASSERT_EQ(random.Uniform(), expected) << k;
    }
    RandomGenerator first;
    first.Seed(1);
    EXPECT_EQ(first.Uniform(), 134775814.0 / 4294967296.0);
}

TEST(RandomGenerator, ValuesLieInTheHalfOpenUnitInterval) {
    RandomGenerator random;
    random.Seed(0xFFFFFFFFu);
    double sum = 0;
    const int n = 100000;
    for (int k = 0; k < n; ++k) {
        const double u = random.Uniform();
        ASSERT_GE(u, 0.0);
        ASSERT_LT(u, 1.0);
        sum += u;
    }
    EXPECT_NEAR(sum / n, 0.5, 0.005);
}

TEST(RandomGenerator, SameSeedRepeats) {
    RandomGenerator a, b;
    a.Seed(12345);
    b.Seed(12345);
    for (int k = 0; k < 100; ++k) ASSERT_EQ(a.Uniform(), b.Uniform());
}

}  // namespace
}  // namespace vantrel
