// Holds back the signals that end a process politely (SIGINT, SIGTERM,
// SIGHUP) for the calling thread while a few renames must happen together;
// a signal that arrives meanwhile is delivered as soon as the scope ends.
// Windows has no such signals; there it does nothing.
#pragma once

#ifndef _WIN32
#include <csignal>
#endif

namespace vd {

class CHeldSignals {
  public:
    CHeldSignals() noexcept;
    ~CHeldSignals();
    CHeldSignals(const CHeldSignals&) = delete;
    CHeldSignals& operator=(const CHeldSignals&) = delete;

  private:
#ifndef _WIN32
    sigset_t m_previous{};
    bool m_bHeld = false;
#endif
};

}  // namespace vd
