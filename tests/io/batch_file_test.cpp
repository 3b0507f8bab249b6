#include "io/batch_file.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"

namespace vantrel {
namespace {

using testing::TempDir;

// The ten lines of an item, each name carrying the item's stem.
std::string ItemText(const std::string& title, const std::string& stem, const char* eol) {
    std::string text;
    for (const std::string& line :
         {title, stem + ".prj", stem + ".trg", stem + ".mdl", stem + ".run", stem + ".imp",
          stem + ".inl", stem + "-ini.vsk", stem + "-dyn.vsk", stem + "-ev.dat"})
        text += line + eol;
    return text;
}

std::vector<std::string> Fields(const BatchItem& item) {
    const InputFileSet& in = item.Inputs;
    const OutputFileSet& out = item.Outputs;
    return {item.Title, in.Projectile, in.Target, in.Model, in.Run, in.Impact, in.Inelastic,
            out.InitialConditions, out.DynamicalVariables, out.InelasticEvents};
}

TEST(BatchFile, ItemsAreTenLinesWhateverTheLineEnds) {
    struct Case {
        const char* Label;
        std::string Text;
        std::vector<std::string> Titles;  // of the items read before the end
    };
    std::string noFinalEnd = ItemText("cr", "b", "\r");
    noFinalEnd.pop_back();
    const Case cases[] = {
        {"LF", ItemText("one", "a", "\n") + ItemText("two", "b", "\n"), {"one", "two"}},
        {"CR LF then CR without a final end", ItemText("crlf", "a", "\r\n") + noFinalEnd,
         {"crlf", "cr"}},
        // A blank line after the last item is one more item, of empty names.
        {"blank line after", ItemText("one", "a", "\n") + "\n", {"one", ""}},
    };
    TempDir dir;
    for (const Case& c : cases) {
        BatchDefinitionFile file(dir.Write("jobs.bdf", c.Text));
        std::vector<std::string> titles;
        BatchItem item;
        do {
            ASSERT_TRUE(file.ReadItem(item)) << c.Label;
            titles.push_back(item.Title);
        } while (!file.AtEnd());
        EXPECT_EQ(titles, c.Titles) << c.Label;
        if (!item.Title.empty()) {
            EXPECT_EQ(Fields(item), (std::vector<std::string>{
                                        item.Title, "b.prj", "b.trg", "b.mdl", "b.run", "b.imp",
                                        "b.inl", "b-ini.vsk", "b-dyn.vsk", "b-ev.dat"}))
                << c.Label;
        }
    }
}

TEST(BatchFile, LongLinesAreCutTo255CharactersAndTheRestSkipped) {
    TempDir dir;
    BatchDefinitionFile file(dir.Write("jobs.bdf", ItemText(std::string(300, 't'), "a", "\n")));
    BatchItem item;
    ASSERT_TRUE(file.ReadItem(item));
    EXPECT_EQ(item.Title, std::string(255, 't'));
    EXPECT_EQ(item.Inputs.Projectile, "a.prj");  // the next line is intact
}

// An unreadable file: BatchFixture.UnreadableFileRunsNothingAndSaysSoAfterTheLoop
// (tests/job/batch_test.cpp) reads a folder through the same reader.

}  // namespace
}  // namespace vantrel
