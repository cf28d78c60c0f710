#include "common/HeldSignals.h"

#ifndef _WIN32
#include <pthread.h>
#endif

namespace vd {

#ifndef _WIN32

CHeldSignals::CHeldSignals() noexcept {
    sigset_t held;
    sigemptyset(&held);
    sigaddset(&held, SIGINT);
    sigaddset(&held, SIGTERM);
    sigaddset(&held, SIGHUP);
    m_bHeld = ::pthread_sigmask(SIG_BLOCK, &held, &m_previous) == 0;
}

CHeldSignals::~CHeldSignals() {
    if (m_bHeld) ::pthread_sigmask(SIG_SETMASK, &m_previous, nullptr);
}

#else

CHeldSignals::CHeldSignals() noexcept = default;
CHeldSignals::~CHeldSignals() = default;

#endif

}  // namespace vd
