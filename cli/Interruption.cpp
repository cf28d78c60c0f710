#include "cli/Interruption.h"

#include <unistd.h>

#include <csignal>

#include "common/TemporaryRegistry.h"

namespace vd::cli {
namespace {

extern "C" void OnInterruption(int nSignal) {
    // Only async-signal-safe calls: unlink and _exit.
    RemoveRegisteredTemporaries();
    ::_exit(128 + nSignal);
}

}  // namespace

void InstallInterruptionHandlers() {
    struct sigaction action {};
    action.sa_handler = OnInterruption;
    sigemptyset(&action.sa_mask);
    for (const int nSignal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&action.sa_mask, nSignal);
    for (const int nSignal : {SIGINT, SIGTERM, SIGHUP}) {
        // A signal the caller chose to ignore (nohup, a background job of a
        // shell without job control) stays ignored.
        struct sigaction previous {};
        if (::sigaction(nSignal, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN) {
            continue;
        }
        ::sigaction(nSignal, &action, nullptr);
    }
}

}  // namespace vd::cli
