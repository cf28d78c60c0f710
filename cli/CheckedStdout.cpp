#include "cli/CheckedStdout.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace vd::cli {

namespace {

int g_nFirstWriteError = 0;

#ifdef __GLIBC__
ssize_t WriteAll(void* /*cookie*/, const char* pData, std::size_t nSize) {
    std::size_t nDone = 0;
    while (nDone < nSize) {
        const ssize_t n = ::write(STDOUT_FILENO, pData + nDone, nSize - nDone);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (g_nFirstWriteError == 0) g_nFirstWriteError = n < 0 ? errno : EIO;
            // Answers 0 (nothing written), which stdio treats as an error.
            return nDone > 0 ? static_cast<ssize_t>(nDone) : 0;
        }
        nDone += static_cast<std::size_t>(n);
    }
    return static_cast<ssize_t>(nDone);
}
#endif

}  // namespace

void InstallCheckedStdout() {
#ifdef __GLIBC__
    cookie_io_functions_t functions{};
    functions.write = WriteAll;
    std::FILE* pStream = fopencookie(nullptr, "w", functions);
    if (pStream == nullptr) return;  // stdout stays; errors are then found at its close
    std::setvbuf(pStream, nullptr, isatty(STDOUT_FILENO) == 1 ? _IOLBF : _IOFBF, BUFSIZ);
    std::fflush(stdout);
    stdout = pStream;
#endif
}

int CloseCheckedStdout() {
    errno = 0;
    const bool bFlushed = std::fflush(stdout) == 0;
    const int nFlushErrno = errno;
    const bool bClean = std::ferror(stdout) == 0;
    errno = 0;
    const bool bClosed = std::fclose(stdout) == 0;
    int nCloseErrno = errno;
#ifdef __GLIBC__
    // The stream above wrote to descriptor 1 without owning it; closing it
    // reports what a file system keeps until then (NFS, quotas).
    errno = 0;
    if (::close(STDOUT_FILENO) != 0 && errno != EBADF && bClosed) {
        nCloseErrno = errno;
        return nCloseErrno;
    }
#endif
    if (g_nFirstWriteError != 0) return g_nFirstWriteError;
    if (!bFlushed) return nFlushErrno != 0 ? nFlushErrno : EIO;
    if (!bClosed) return nCloseErrno != 0 ? nCloseErrno : EIO;
    return bClean ? 0 : EIO;
}

}  // namespace vd::cli
