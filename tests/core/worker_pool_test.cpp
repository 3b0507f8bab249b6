#include "core/worker_pool.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <vector>

namespace vantrel {
namespace {

// Every task runs once, on a thread index below the count, and a fault one
// task raises on whatever thread reaches the caller; the caller's own flags
// stay.
TEST(WorkerPool, RunsEveryTaskOnceAndRaisesItsTasksFaultsOnTheCaller) {
    for (const int threads : {1, 2, 3, 8}) {
        WorkerPool pool(threads);
        for (int batch = 0; batch < 3; ++batch) {
            std::vector<int> runs(97, 0), thread(97, -1);
            std::feclearexcept(FE_ALL_EXCEPT);
            std::feraiseexcept(FE_INEXACT);
            volatile double zero = 0.0;
            pool.Run(runs.size(), [&](std::size_t t, int th) {
                runs[t] += 1;
                thread[t] = th;
                if (t == 50 + static_cast<std::size_t>(batch)) {
                    volatile double x = 1.0 / zero;
                    (void)x;
                }
            });
            for (std::size_t t = 0; t < runs.size(); ++t) {
                EXPECT_EQ(runs[t], 1) << threads << " threads, task " << t;
                EXPECT_TRUE(thread[t] >= 0 && thread[t] < threads) << threads << " threads";
            }
            EXPECT_NE(std::fetestexcept(FE_DIVBYZERO), 0) << threads << " threads";
            EXPECT_NE(std::fetestexcept(FE_INEXACT), 0) << threads << " threads";
            EXPECT_EQ(std::fetestexcept(FE_INVALID | FE_OVERFLOW), 0) << threads << " threads";
        }
    }
    std::feclearexcept(FE_ALL_EXCEPT);
}

}  // namespace
}  // namespace vantrel
