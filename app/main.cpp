// The desktop program.  Besides Qt's own platform options it knows only
// --help and --version, answered before any window exists, so that they
// work without a display.
#include <QApplication>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/version.h"
#include "io/file_names.h"
#include "ui/help_browser.h"
#include "ui/program_windows.h"

namespace {

std::string Found(const std::string& folder) { return folder.empty() ? "(not found)" : folder; }

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("vantrel %s\n", std::string(vantrel::ProgramVersion()).c_str());
        return 0;
    }
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::printf(
            "usage: vantrel [Qt options]\n"
            "       vantrel --help | --version\n"
            "The Vantrel desktop program: classical-dynamics simulation of atomic collisions\n"
            "in solids.  Jobs are chosen and run from its window; vantrel-cli runs them\n"
            "without one (vantrel-cli --help).\n"
            "Help pages: %s\n"
            "Examples:   %s\n",
            Found(vantrel::HelpFolder().toStdString()).c_str(),
            Found(vantrel::ProgramDataFolder("examples")).c_str());
        return 0;
    }
    QApplication application(argc, argv);
    return vantrel::RunDesktopProgram(application);
}
