// The header of a per-run table written by worker processes: each worker
// writes it before its first row when the job's file had none; the job's
// file keeps it once.
#include <gtest/gtest.h>

#include "job/per_run_files.h"

namespace vantrel {
namespace {

TEST(PerRunFiles, AWorkersHeaderGoesIntoTheJobsFileOnce) {
    struct Case {
        std::string_view Part;
        int HeaderLines;
        bool JobHasHeader;
        std::string_view Kept, Rows;
        bool JobHasHeaderAfter;
    };
    const Case cases[] = {
        {"run,x\n1,a\n", 1, false, "run,x\n", "1,a\n", true},
        {"run,x\n4,d\n", 1, true, "", "4,d\n", true},
        {"# t\nrun,x\n2,b\n", 2, false, "# t\nrun,x\n", "2,b\n", true},
        {"run,x", 1, false, "", "run,x", false},  // not a whole header: left alone
    };
    for (const Case& c : cases) {
        std::string_view part = c.Part;
        bool jobHasHeader = c.JobHasHeader;
        EXPECT_EQ(TakeHeader(part, c.HeaderLines, jobHasHeader), c.Kept) << c.Part;
        EXPECT_EQ(part, c.Rows) << c.Part;
        EXPECT_EQ(jobHasHeader, c.JobHasHeaderAfter) << c.Part;
    }
}

}  // namespace
}  // namespace vantrel
