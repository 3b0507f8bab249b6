#include "job/impact_file.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/coloured_log.h"
#include "tests/support/recording_ui.h"
#include "tests/support/temp_dir.h"

namespace vantrel {
namespace {

TEST(ImpactFile, OnlyAFileThatCannotBeOpenedIsLogged) {
    testing::TempDir dir;
    const std::string missing = dir.File("missing.imp");
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {missing, {"red|  File not found: " + missing}},
        {dir.Write("a.imp", "1 2 3\n"), {}},
    };
    for (const auto& [name, log] : cases) {
        testing::RecordingUserInterface ui;
        ProgramContext program(ui);
        SimulationState state(program);
        ImpactFile file;
        EXPECT_EQ(OpenImpactFile(state, file, name), log.empty());
        EXPECT_EQ(testing::ColouredLog(ui), log);
    }
}

}  // namespace
}  // namespace vantrel
