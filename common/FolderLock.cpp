#include "common/FolderLock.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace vd {

#ifndef _WIN32

CFolderLock::CFolderLock(const std::string& strFolder) noexcept {
    m_fd = ::open(strFolder.empty() ? "." : strFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_fd < 0) return;
    int nResult;
    do {
        nResult = ::flock(m_fd, LOCK_EX);
    } while (nResult != 0 && errno == EINTR);
    // Without the lock (a file system that has none) the pair is still
    // replaced as before, only without protection against a second writer.
}

CFolderLock::~CFolderLock() {
    if (m_fd >= 0) ::close(m_fd);  // releases the lock
}

#else

CFolderLock::CFolderLock(const std::string&) noexcept {}
CFolderLock::~CFolderLock() = default;

#endif

}  // namespace vd
