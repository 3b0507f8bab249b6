// The bash completion of vantrel-cli (packaging/vantrel-cli.bash) offers
// what the parser takes: each flag it offers for a command is one that
// command accepts, every flag of the usage text is offered somewhere, and
// --set completes the option names of the program itself.
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cli/arguments.h"
#include "job/option_names.h"
#include "tests/support/recording_ui.h"
#include "tests/support/temp_dir.h"

namespace vantrel::cli {
namespace {

using vantrel::testing::RecordingUserInterface;
using vantrel::testing::TempDir;

// What the completion offers for the words, the last being the one completed.
std::vector<std::string> Complete(const TempDir& dir, std::vector<std::string> words) {
    words.insert(words.begin(), VANTREL_CLI_PROGRAM);
    std::string script = "source '" + std::string(VANTREL_SOURCE_DIR) +
                         "/packaging/vantrel-cli.bash'\nCOMP_WORDS=(";
    for (const std::string& w : words) script += " '" + w + "'";
    script += " )\nCOMP_CWORD=" + std::to_string(words.size() - 1) +
              "\n_vantrel_cli\nprintf '%s\\n' \"${COMPREPLY[@]}\"\n";
    const std::string file = dir.Write("complete.sh", script);
    std::FILE* pipe = popen(("cd '" + dir.Path().string() + "' && bash --norc --noprofile '" +
                             file + "' 2>&1").c_str(),
                            "r");
    std::vector<std::string> offered;
    char line[512];
    while (pipe && std::fgets(line, sizeof line, pipe)) {
        std::string text(line);
        if (!text.empty() && text.back() == '\n') text.pop_back();
        if (!text.empty()) offered.push_back(text);
    }
    if (pipe) pclose(pipe);
    return offered;
}

using Offer = std::set<std::string>;

Offer Set(const std::vector<std::string>& v) { return {v.begin(), v.end()}; }

TEST(Completion, OffersTheFlagsEachCommandTakes) {
    TempDir dir;
    Offer everywhere;
    for (const char* command : {"run", "batch", "options", "analyze", "export", "join"}) {
        const std::vector<std::string> flags = Complete(dir, {command, "-"});
        ASSERT_FALSE(flags.empty()) << command;
        for (const std::string& flag : flags) {
            everywhere.insert(flag);
            CliArguments parsed;
            std::string error;
            ParseArguments({command, flag, "v", "x"}, parsed, error);
            EXPECT_EQ(error.find("unknown flag"), std::string::npos) << command << " " << flag;
            EXPECT_EQ(error.find("is not an option"), std::string::npos) << command << " " << flag;
        }
    }
    const std::string usage = UsageText();
    // Every flag of the usage text: a dash after a blank, "[", "|" or ","
    // (or at the start), then a lower-case letter, then letters and dashes.
    const auto flagStart = [&](std::size_t at) {
        const bool after = at == 0 || std::string(" \t\n[|,").find(usage[at - 1]) != std::string::npos;
        std::size_t letter = at + 1;
        if (letter < usage.size() && usage[letter] == '-') ++letter;
        return after && letter < usage.size() && usage[letter] >= 'a' && usage[letter] <= 'z';
    };
    for (std::size_t at = usage.find('-'); at != std::string::npos; at = usage.find('-', at + 1)) {
        if (!flagStart(at)) continue;
        std::size_t end = at + 1;
        while (end < usage.size() && ((usage[end] >= 'a' && usage[end] <= 'z') || usage[end] == '-'))
            ++end;
        const std::string name = usage.substr(at, end - at);
        at = end - 1;
        if (name == "--version") continue;  // offered in the command's place
        EXPECT_TRUE(everywhere.count(name)) << name << " is in the usage but never offered";
    }
}

TEST(Completion, OffersCommandsValuesAndTheProgramsOptionNames) {
    TempDir dir;
    RecordingUserInterface ui;
    ProgramContext program(ui);
    Offer options;
    for (const std::string& line : OptionLines(program)) {
        const std::string name = line.substr(0, line.find(' '));
        if (name.rfind("Use", 0) == 0) options.insert(name + "=");
    }
    ASSERT_TRUE(options.count("UseLSS="));
    EXPECT_EQ(Set(Complete(dir, {"run", "--set", "Use"})), options);
    EXPECT_EQ(Set(Complete(dir, {""})),
              (Offer{"run", "batch", "options", "analyze", "export", "join", "--help", "--version"}));
    EXPECT_EQ(Set(Complete(dir, {"export", "--format", ""})), (Offer{"extxyz", "dump", "csv"}));
    EXPECT_EQ(Set(Complete(dir, {"run", "--answer", ""})), (Offer{"yes", "no"}));
    dir.Write("job.prj", "");
    dir.Write("job.trg", "");
    EXPECT_EQ(Set(Complete(dir, {"run", "--answer", "yes", "j"})), (Offer{"job.prj"}));
}

}  // namespace
}  // namespace vantrel::cli
