// Windows implementation of the file object, on the Win32 file API. Paths are
// UTF-8 narrow strings and go to the ...W functions as UTF-16.
#ifdef _WIN32

#include <windows.h>

#include <algorithm>
#include <cstdio>

#include "common/Exceptions.h"
#include "common/File.h"
#include "common/Strings.h"
#include "common/SystemMessage.h"
#include "common/WideText.h"

namespace vd {
namespace {

// ReadFile and WriteFile take a 32-bit count; larger requests go in pieces.
constexpr std::size_t kMaxChunk = std::size_t{1} << 30;

}  // namespace

std::string SystemMessage(unsigned long dwError) {
    wchar_t* pszText = nullptr;
    const DWORD nLength =
        ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                             FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_MAX_WIDTH_MASK,
                         nullptr, dwError, 0, reinterpret_cast<wchar_t*>(&pszText), 0, nullptr);
    std::string strText;
    if (pszText != nullptr) {
        strText = Utf8FromWide(pszText, nLength);
        ::LocalFree(pszText);
    }
    while (!strText.empty() && (strText.back() == ' ' || strText.back() == '\r' ||
                                strText.back() == '\n' || strText.back() == '.')) {
        strText.pop_back();
    }
    if (strText.empty()) {
        char szCode[48];
        std::snprintf(szCode, sizeof szCode, "system error %lu",
                      static_cast<unsigned long>(dwError));
        strText = szCode;
    }
    return strText;
}

CFile::~CFile() { Abort(); }

bool CFile::Open(const std::string& pathName, EOpenMode mode, std::string* pstrCause) {
    Abort();
    // A zero byte inside the name would silently shorten it.
    if (pathName.find('\0') != std::string::npos) {
        SetReason(pstrCause, SystemMessage(ERROR_INVALID_NAME));
        return false;
    }
    const std::wstring strWide = WidePath(pathName);
    HANDLE hFile;
    if (mode == modeCreateReadWriteExclusive) {
        hFile = ::CreateFileW(strWide.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    } else {
        const DWORD dwShare =
            mode == modeReadShareReadWrite ? FILE_SHARE_READ | FILE_SHARE_WRITE : FILE_SHARE_READ;
        hFile = ::CreateFileW(strWide.c_str(), GENERIC_READ, dwShare, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    if (hFile == INVALID_HANDLE_VALUE) {
        SetReason(pstrCause, SystemMessage(::GetLastError()));
        return false;
    }
    // Only disk files are files here: a device name such as "CON" or a pipe
    // would block or behave unlike a file.
    if (::GetFileType(hFile) != FILE_TYPE_DISK) {
        ::CloseHandle(hFile);
        SetReason(pstrCause, SystemMessage(ERROR_INVALID_NAME));
        return false;
    }
    m_hFile = hFile;
    m_strPath = pathName;
    return true;
}

std::size_t CFile::Read(void* pBuffer, std::size_t nCount) {
    auto* p = static_cast<unsigned char*>(pBuffer);
    std::size_t nDone = 0;
    while (nDone < nCount) {
        const auto nAsk = static_cast<DWORD>(std::min(nCount - nDone, kMaxChunk));
        DWORD nRead = 0;
        if (!::ReadFile(m_hFile, p + nDone, nAsk, &nRead, nullptr)) ThrowLastError("read");
        if (nRead == 0) break;  // end of the file
        nDone += nRead;
    }
    return nDone;
}

void CFile::Write(const void* pBuffer, std::size_t nCount) {
    const auto* p = static_cast<const unsigned char*>(pBuffer);
    std::size_t nDone = 0;
    while (nDone < nCount) {
        const auto nAsk = static_cast<DWORD>(std::min(nCount - nDone, kMaxChunk));
        DWORD nWritten = 0;
        if (!::WriteFile(m_hFile, p + nDone, nAsk, &nWritten, nullptr)) ThrowLastError("write");
        if (nWritten == 0) {
            ::SetLastError(ERROR_DISK_FULL);
            ThrowLastError("write");
        }
        nDone += nWritten;
    }
}

std::uint64_t CFile::Seek(std::int64_t nOffset) {
    LARGE_INTEGER distance;
    distance.QuadPart = nOffset;
    LARGE_INTEGER position;
    if (!::SetFilePointerEx(m_hFile, distance, &position, FILE_CURRENT)) ThrowLastError("seek");
    return static_cast<std::uint64_t>(position.QuadPart);
}

std::uint64_t CFile::GetLength() const {
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(m_hFile, &size)) ThrowLastError("length");
    return static_cast<std::uint64_t>(size.QuadPart);
}

std::uint64_t CFile::GetPosition() const {
    LARGE_INTEGER distance;
    distance.QuadPart = 0;
    LARGE_INTEGER position;
    if (!::SetFilePointerEx(m_hFile, distance, &position, FILE_CURRENT)) {
        ThrowLastError("position");
    }
    return static_cast<std::uint64_t>(position.QuadPart);
}

void CFile::Close() {
    if (m_hFile == kInvalid) return;
    HANDLE hFile = m_hFile;
    m_hFile = kInvalid;
    if (!::CloseHandle(hFile)) ThrowLastError("close");
}

void CFile::Abort() noexcept {
    if (m_hFile == kInvalid) return;
    ::CloseHandle(m_hFile);
    m_hFile = kInvalid;
}

std::string CFile::GetFileName() const { return FileNamePart(m_strPath); }

void CFile::ThrowLastError(const char* pszWhat) const {
    const DWORD dwError = ::GetLastError();
    throw CFileException(m_strPath, std::string(pszWhat) + " failed: " + SystemMessage(dwError));
}

}  // namespace vd

#endif  // _WIN32
