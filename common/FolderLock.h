// An exclusive lock on a folder, held while a pair of outputs (a GIF and its
// map) is put in place, so that two processes publishing the same pair never
// interleave their renames. Every writer of this library takes it on the
// GIF's folder. It is advisory (flock on Linux) and taken where the file
// system supports it; elsewhere, and on Windows, it does nothing.
#pragma once

#include <string>

namespace vd {

class CFolderLock {
  public:
    // Waits for the lock on strFolder ("" is the current folder).
    explicit CFolderLock(const std::string& strFolder) noexcept;
    ~CFolderLock();
    CFolderLock(const CFolderLock&) = delete;
    CFolderLock& operator=(const CFolderLock&) = delete;

  private:
    int m_fd = -1;
};

}  // namespace vd
