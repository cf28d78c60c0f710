#include "common/StaleTemporaries.h"

#include <cstdint>
#include <memory>

#include "common/FileSystem.h"

#ifdef _WIN32
#include <windows.h>

#include <cwchar>

#include "common/WideText.h"
#else
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <ctime>
#endif

namespace vd {
namespace {

constexpr std::int64_t kStaleSeconds = 3600;

// Digits from nPos up to cEnd; answers the position after cEnd, or npos.
std::size_t SkipNumber(const std::string& strName, std::size_t nPos, char cEnd,
                       unsigned long* pnValue) {
    const std::size_t nStart = nPos;
    unsigned long nValue = 0;
    while (nPos < strName.size() && strName[nPos] >= '0' && strName[nPos] <= '9') {
        if (nPos - nStart >= 10) return std::string::npos;  // longer than any process number
        nValue = nValue * 10 + static_cast<unsigned long>(strName[nPos] - '0');
        ++nPos;
    }
    if (nPos == nStart || nPos >= strName.size() || strName[nPos] != cEnd) return std::string::npos;
    if (pnValue != nullptr) *pnValue = nValue;
    return nPos + 1;
}

#ifdef _WIN32

bool bProcessGone(unsigned long nProcess) {
    HANDLE hProcess = ::OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(nProcess));
    if (hProcess == nullptr) return ::GetLastError() == ERROR_INVALID_PARAMETER;
    const bool bEnded = ::WaitForSingleObject(hProcess, 0) == WAIT_OBJECT_0;
    ::CloseHandle(hProcess);
    return bEnded;
}

#else

bool bProcessGone(unsigned long nProcess) {
    if (nProcess == 0 || nProcess > 0x7FFFFFFFUL) return false;
    return ::kill(static_cast<pid_t>(nProcess), 0) != 0 && errno == ESRCH;
}

#endif

// A writer that is gone: never this process, whose temporaries are in use.
bool bWriterGone(unsigned long nProcess) {
    return nProcess != CurrentProcessNumber() && bProcessGone(nProcess);
}

}  // namespace

bool bTemporaryName(const std::string& strName, unsigned long* pnProcess) noexcept {
    if (strName.rfind("~vd", 0) != 0) return false;
    unsigned long nProcess = 0;
    std::size_t nPos = SkipNumber(strName, 3, '-', &nProcess);
    if (nPos == std::string::npos) return false;
    nPos = SkipNumber(strName, nPos, '.', nullptr);
    if (nPos == std::string::npos || strName.compare(nPos, std::string::npos, "tmp") != 0) {
        return false;
    }
    if (pnProcess != nullptr) *pnProcess = nProcess;
    return true;
}

#ifdef _WIN32

struct SSearchCloser {
    void operator()(HANDLE hFind) const noexcept { ::FindClose(hFind); }
};

unsigned RemoveStaleTemporaries(const std::string& strFolder) noexcept {
    unsigned nRemoved = 0;
    try {
        WIN32_FIND_DATAW found{};
        HANDLE hFind = ::FindFirstFileW(WidePath(strFolder + "~vd*.tmp").c_str(), &found);
        if (hFind == INVALID_HANDLE_VALUE) return 0;
        const std::unique_ptr<void, SSearchCloser> search(hFind);
        FILETIME now{};
        ::GetSystemTimeAsFileTime(&now);
        const auto Ticks = [](const FILETIME& time) {
            return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
        };
        do {
            const std::string strName = Utf8FromWide(found.cFileName, std::wcslen(found.cFileName));
            unsigned long nProcess = 0;
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ||
                !bTemporaryName(strName, &nProcess) ||
                Ticks(now) < Ticks(found.ftLastWriteTime) + kStaleSeconds * 10000000ULL ||
                !bWriterGone(nProcess)) {
                continue;
            }
            if (::DeleteFileW(WidePath(strFolder + strName).c_str()) != 0) ++nRemoved;
        } while (::FindNextFileW(hFind, &found) != 0);
    } catch (...) {
        // no memory for a name: what was found so far is removed
    }
    return nRemoved;
}

#else

struct SFolderCloser {
    void operator()(DIR* pDir) const noexcept { ::closedir(pDir); }
};

unsigned RemoveStaleTemporaries(const std::string& strFolder) noexcept {
    unsigned nRemoved = 0;
    try {
        const std::unique_ptr<DIR, SFolderCloser> folder(
            ::opendir(strFolder.empty() ? "." : strFolder.c_str()));
        if (!folder) return 0;
        const std::time_t now = std::time(nullptr);
        while (const dirent* pEntry = ::readdir(folder.get())) {
            const std::string strName = pEntry->d_name;
            unsigned long nProcess = 0;
            if (!bTemporaryName(strName, &nProcess) || !bWriterGone(nProcess)) continue;
            const std::string strPath = strFolder + strName;
            struct stat st {};
            if (::lstat(strPath.c_str(), &st) != 0 || !S_ISREG(st.st_mode) ||
                now - st.st_mtime < kStaleSeconds) {
                continue;
            }
            if (::unlink(strPath.c_str()) == 0) ++nRemoved;
        }
    } catch (...) {
        // no memory for a name: what was found so far is removed
    }
    return nRemoved;
}

#endif

}  // namespace vd
