#include "common/FileSystem.h"

#include "common/PlatformPath.h"
#include "common/Strings.h"

#include <filesystem>
#include <system_error>

#ifndef _WIN32

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace vd {
namespace {

bool Fail(std::string* pstrCause) {
    SetReason(pstrCause, std::strerror(errno));
    return false;
}

}  // namespace

ECreateResult CreateNewFile(const std::string& strPath, std::string* pstrCause) {
    int fd;
    do {
        fd = ::open(strPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        if (errno == EEXIST) return ECreateResult::exists;
        Fail(pstrCause);
        return ECreateResult::failed;
    }
    ::close(fd);
    return ECreateResult::created;
}

bool bFlushToDisk(const std::string& strPath, std::string* pstrCause) {
    const int fd = ::open(strPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return Fail(pstrCause);
    const bool bSynced = ::fsync(fd) == 0;
    const int nError = errno;
    ::close(fd);
    errno = nError;
    return bSynced || Fail(pstrCause);
}

bool bRenameReplacing(const std::string& strFrom, const std::string& strTo,
                      std::string* pstrCause) {
    return std::rename(strFrom.c_str(), strTo.c_str()) == 0 || Fail(pstrCause);
}

bool bKeepUnderAlias(const std::string& strPath, const std::string& strAlias,
                     std::string* pstrCause) {
    struct stat st {};
    if (::lstat(strPath.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        errno = EISDIR;
        return Fail(pstrCause);
    }
    (void)::unlink(strAlias.c_str());
    // Without AT_SYMLINK_FOLLOW a link names the symbolic link itself.
    if (::linkat(AT_FDCWD, strPath.c_str(), AT_FDCWD, strAlias.c_str(), 0) == 0) return true;
    return bRenameReplacing(strPath, strAlias, pstrCause);
}

bool bNameExists(const std::string& strPath) noexcept {
    struct stat st {};
    return ::lstat(strPath.c_str(), &st) == 0;
}

void CopyPermissions(const std::string& strFrom, const std::string& strTo) noexcept {
    struct stat st {};
    if (::lstat(strFrom.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return;
    (void)::chown(strTo.c_str(), st.st_uid, st.st_gid);  // only where permitted
    (void)::chmod(strTo.c_str(), st.st_mode & 07777);
}

void RemoveFileQuietly(const std::string& strPath) noexcept { (void)::unlink(strPath.c_str()); }

unsigned long CurrentProcessNumber() noexcept { return static_cast<unsigned long>(::getpid()); }

}  // namespace vd

#else  // _WIN32

#include <windows.h>

#include "common/SystemMessage.h"
#include "common/WideText.h"

namespace vd {
namespace {

bool Fail(std::string* pstrCause) {
    SetReason(pstrCause, SystemMessage(::GetLastError()));
    return false;
}

bool bValidName(const std::string& strPath) { return strPath.find('\0') == std::string::npos; }

}  // namespace

ECreateResult CreateNewFile(const std::string& strPath, std::string* pstrCause) {
    if (!bValidName(strPath)) {
        SetReason(pstrCause, "the path holds a zero byte");
        return ECreateResult::failed;
    }
    HANDLE hFile = ::CreateFileW(WidePath(strPath).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE) {
        const DWORD dwError = ::GetLastError();
        if (dwError == ERROR_FILE_EXISTS || dwError == ERROR_ALREADY_EXISTS) {
            return ECreateResult::exists;
        }
        Fail(pstrCause);
        return ECreateResult::failed;
    }
    ::CloseHandle(hFile);
    return ECreateResult::created;
}

bool bFlushToDisk(const std::string& strPath, std::string* pstrCause) {
    HANDLE hFile = ::CreateFileW(WidePath(strPath).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE) return Fail(pstrCause);
    const BOOL bFlushed = ::FlushFileBuffers(hFile);
    const DWORD dwError = ::GetLastError();
    ::CloseHandle(hFile);
    ::SetLastError(dwError);
    return bFlushed != 0 || Fail(pstrCause);
}

bool bRenameReplacing(const std::string& strFrom, const std::string& strTo,
                      std::string* pstrCause) {
    if (!bValidName(strFrom) || !bValidName(strTo)) {
        SetReason(pstrCause, "the path holds a zero byte");
        return false;
    }
    return ::MoveFileExW(WidePath(strFrom).c_str(), WidePath(strTo).c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0 ||
           Fail(pstrCause);
}

bool bKeepUnderAlias(const std::string& strPath, const std::string& strAlias,
                     std::string* pstrCause) {
    const DWORD dwAttributes = ::GetFileAttributesW(WidePath(strPath).c_str());
    if (dwAttributes != INVALID_FILE_ATTRIBUTES && (dwAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        ::SetLastError(ERROR_ACCESS_DENIED);
        return Fail(pstrCause);
    }
    return bRenameReplacing(strPath, strAlias, pstrCause);
}

bool bNameExists(const std::string& strPath) noexcept {
    try {
        return bValidName(strPath) &&
               ::GetFileAttributesW(WidePath(strPath).c_str()) != INVALID_FILE_ATTRIBUTES;
    } catch (...) {
        return false;  // no memory for the wide form
    }
}

void CopyPermissions(const std::string&, const std::string&) noexcept {}

void RemoveFileQuietly(const std::string& strPath) noexcept {
    try {
        if (bValidName(strPath)) (void)::DeleteFileW(WidePath(strPath).c_str());
    } catch (...) {
        // no memory for the wide form: the file stays
    }
}

unsigned long CurrentProcessNumber() noexcept { return ::GetCurrentProcessId(); }

}  // namespace vd

#endif  // _WIN32

namespace vd {

bool bSameFile(const std::string& strInput, const std::string& strOutput) {
    if (strInput == strOutput) return true;
#ifndef _WIN32
    // The input is read through its links; the output's own name is what a
    // rename replaces, so a link there is compared as itself.
    struct stat input {};
    struct stat output {};
    return ::stat(strInput.c_str(), &input) == 0 && ::lstat(strOutput.c_str(), &output) == 0 &&
           input.st_dev == output.st_dev && input.st_ino == output.st_ino;
#else
    std::error_code ec;
    const bool bSame =
        std::filesystem::equivalent(PlatformPath(strInput), PlatformPath(strOutput), ec);
    return !ec && bSame;
#endif
}

}  // namespace vd
