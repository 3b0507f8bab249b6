#include "core/worker_pool.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <string>
#include <vector>

namespace vantrel {
namespace {

// Every task runs once, on a thread index below the count, and a fault one
// task raises on whatever thread reaches the caller; the caller's own flags
// stay.  RunOwn alike, with as many tasks as threads, with the most it gives
// one bit each, and with more (claimed as by Run).
TEST(WorkerPool, RunsEveryTaskOnceAndRaisesItsTasksFaultsOnTheCaller) {
    for (const int threads : {1, 2, 3, 8}) {
        WorkerPool pool(threads);
        for (const bool own : {false, true}) {
            const std::size_t counts[] = {static_cast<std::size_t>(threads),
                                          WorkerPool::MaxOwnTasks, 97};
            for (const std::size_t count : counts) {
                for (std::size_t batch = 0; batch < 3; ++batch) {
                    const std::string where = std::to_string(threads) + " threads, " +
                                              (own ? "RunOwn, " : "Run, ") +
                                              std::to_string(count) + " tasks";
                    std::vector<int> runs(count, 0), thread(count, -1);
                    std::feclearexcept(FE_ALL_EXCEPT);
                    std::feraiseexcept(FE_INEXACT);
                    volatile double zero = 0.0;
                    const auto task = [&](std::size_t t, int th) {
                        runs[t] += 1;
                        thread[t] = th;
                        if (t == (count / 2 + batch) % count) {
                            volatile double x = 1.0 / zero;
                            (void)x;
                        }
                    };
                    if (own)
                        pool.RunOwn(count, task);
                    else
                        pool.Run(count, task);
                    for (std::size_t t = 0; t < count; ++t) {
                        EXPECT_EQ(runs[t], 1) << where << ", task " << t;
                        EXPECT_TRUE(thread[t] >= 0 && thread[t] < threads) << where;
                    }
                    EXPECT_NE(std::fetestexcept(FE_DIVBYZERO), 0) << where;
                    EXPECT_NE(std::fetestexcept(FE_INEXACT), 0) << where;
                    EXPECT_EQ(std::fetestexcept(FE_INVALID | FE_OVERFLOW), 0) << where;
                }
            }
        }
    }
    std::feclearexcept(FE_ALL_EXCEPT);
}

}  // namespace
}  // namespace vantrel
