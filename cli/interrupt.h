// Ctrl-C for the headless runner.  The handler does nothing but count; the
// runner reads the count at the job's event points (see job_commands.cpp),
// and a watcher started by main ends the program on the second press.
#pragma once

namespace vantrel::cli {

// Installs the SIGINT handler (sigaction, system calls restarted).
void InstallInterruptHandler();

// Presses of Ctrl-C since the handler was installed.
int InterruptCount();

}  // namespace vantrel::cli
