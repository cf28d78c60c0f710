// What the tool does when it is interrupted (SIGINT, SIGTERM, SIGHUP): it
// removes the temporary files of the outputs it is writing, so that none is
// left behind, and exits with 128 + the signal's number, as a shell reports
// a process ended by that signal. Outputs already in place stay.
#pragma once

namespace vd::cli {

void InstallInterruptionHandlers();

}  // namespace vd::cli
