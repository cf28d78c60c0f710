// POSIX implementation of the file object.
#ifndef _WIN32

#include "common/File.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "common/Exceptions.h"
#include "common/Strings.h"

namespace vd {

CFile::~CFile() { Abort(); }

bool CFile::Open(const std::string& pathName, EOpenMode mode, std::string* pstrCause) {
    Abort();
    int flags = O_CLOEXEC;
    if (mode != modeCreateReadWriteExclusive) {
        flags |= O_RDONLY;
    } else {
        flags |= O_RDWR | O_CREAT | O_TRUNC;
    }
    int fd;
    do {
        fd = ::open(pathName.c_str(), flags, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        SetReason(pstrCause, std::strerror(errno));
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        SetReason(pstrCause, std::strerror(EISDIR));
        return false;
    }
    // Sharing rules are advisory on this platform: a shared lock for readers,
    // an exclusive one for a created file. Other programs may ignore them.
    (void)::flock(fd, (mode == modeCreateReadWriteExclusive ? LOCK_EX : LOCK_SH) | LOCK_NB);
    m_hFile = fd;
    m_strPath = pathName;
    return true;
}

std::size_t CFile::Read(void* pBuffer, std::size_t nCount) {
    auto* p = static_cast<unsigned char*>(pBuffer);
    std::size_t nDone = 0;
    while (nDone < nCount) {
        const ssize_t n = ::read(m_hFile, p + nDone, nCount - nDone);
        if (n < 0) {
            if (errno == EINTR) continue;
            ThrowLastError("read");
        }
        if (n == 0) break;
        nDone += static_cast<std::size_t>(n);
    }
    return nDone;
}

void CFile::Write(const void* pBuffer, std::size_t nCount) {
    const auto* p = static_cast<const unsigned char*>(pBuffer);
    std::size_t nDone = 0;
    while (nDone < nCount) {
        const ssize_t n = ::write(m_hFile, p + nDone, nCount - nDone);
        if (n < 0) {
            if (errno == EINTR) continue;
            ThrowLastError("write");
        }
        if (n == 0) {
            errno = ENOSPC;
            ThrowLastError("write");
        }
        nDone += static_cast<std::size_t>(n);
    }
}

std::uint64_t CFile::Seek(std::int64_t nOffset) {
    const off_t pos = ::lseek(m_hFile, static_cast<off_t>(nOffset), SEEK_CUR);
    if (pos < 0) ThrowLastError("seek");
    return static_cast<std::uint64_t>(pos);
}

std::uint64_t CFile::GetLength() const {
    struct stat st {};
    if (::fstat(m_hFile, &st) != 0) ThrowLastError("length");
    return static_cast<std::uint64_t>(st.st_size);
}

std::uint64_t CFile::GetPosition() const {
    const off_t pos = ::lseek(m_hFile, 0, SEEK_CUR);
    if (pos < 0) ThrowLastError("position");
    return static_cast<std::uint64_t>(pos);
}

void CFile::Close() {
    if (m_hFile == kInvalid) return;
    const int fd = m_hFile;
    m_hFile = kInvalid;
    if (::close(fd) != 0 && errno != EINTR) ThrowLastError("close");
}

void CFile::Abort() noexcept {
    if (m_hFile == kInvalid) return;
    ::close(m_hFile);
    m_hFile = kInvalid;
}

std::string CFile::GetFileName() const { return FileNamePart(m_strPath); }

void CFile::ThrowLastError(const char* pszWhat) const {
    throw CFileException(m_strPath, std::string(pszWhat) + " failed: " + std::strerror(errno));
}

}  // namespace vd

#endif  // !_WIN32
