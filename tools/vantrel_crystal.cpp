// vantrel-crystal: writes an fcc or bcc crystallite as a target file.
#include <cstdio>
#include <string>
#include <vector>

#include "core/version.h"
#include "tools/crystal_builder.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 1 && args[0] == "--version") {
        std::printf("vantrel-crystal %s\n", std::string(vantrel::ProgramVersion()).c_str());
        return 0;
    }
    vantrel::CrystalCommand command;
    std::string error;
    if (!vantrel::ParseCrystalCommand(args, command, error)) {
        std::fprintf(stderr, "vantrel-crystal: %s\n\n%s", error.c_str(),
                     vantrel::CrystalUsage().c_str());
        return 2;
    }
    if (command.Help) {
        std::fputs(vantrel::CrystalUsage().c_str(), stdout);
        return 0;
    }
    std::vector<vantrel::CrystalAtom> atoms;
    if (!vantrel::BuildCrystal(command.Spec, atoms, error) ||
        !vantrel::WriteTargetFile(command.OutputPath, atoms, command.Spec.Name, error)) {
        std::fprintf(stderr, "vantrel-crystal: %s\n", error.c_str());
        return 1;
    }
    std::printf("%zu atoms written to %s\n", atoms.size(), command.OutputPath.c_str());
    return 0;
}
