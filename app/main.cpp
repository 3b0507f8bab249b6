// The desktop program.  It takes no command-line arguments (Qt's own
// platform options aside) and no environment variables.
#include <QApplication>

#include "ui/program_windows.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    return vantrel::RunDesktopProgram(application);
}
