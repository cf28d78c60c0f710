// The temporary files this process is writing, kept where a signal handler
// can reach them: the tool removes them when it is interrupted, so that no
// "~vd<process>-<n>.tmp" outlives its writer. The registry holds a fixed
// number of names and needs no memory of its own; a name that does not fit
// is simply not registered (its file is then left to the stale sweep).
// Windows sends no such signals; there nothing is removed.
#pragma once

#include <string>

namespace vd {

void RegisterTemporary(const std::string& strPath) noexcept;
void UnregisterTemporary(const std::string& strPath) noexcept;

// Removes every registered file. Safe to call from a signal handler: it only
// reads the registry and calls unlink.
void RemoveRegisteredTemporaries() noexcept;

}  // namespace vd
