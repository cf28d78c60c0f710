#include "common/WideText.h"

#ifdef _WIN32

#include <windows.h>

#include <climits>

namespace vd {

std::wstring WidePath(const std::string& strUtf8) {
    if (strUtf8.empty() || strUtf8.size() > static_cast<std::size_t>(INT_MAX / 2)) {
        return std::wstring();
    }
    const int nUtf8 = static_cast<int>(strUtf8.size());
    const int nWide = ::MultiByteToWideChar(CP_UTF8, 0, strUtf8.data(), nUtf8, nullptr, 0);
    if (nWide <= 0) return std::wstring();
    std::wstring strWide(static_cast<std::size_t>(nWide), L'\0');
    if (::MultiByteToWideChar(CP_UTF8, 0, strUtf8.data(), nUtf8, strWide.data(), nWide) != nWide) {
        return std::wstring();
    }
    return strWide;
}

std::string Utf8FromWide(const wchar_t* pszWide, std::size_t nLength) {
    if (nLength == 0 || nLength > static_cast<std::size_t>(INT_MAX / 4)) return std::string();
    const int nWide = static_cast<int>(nLength);
    const int nUtf8 =
        ::WideCharToMultiByte(CP_UTF8, 0, pszWide, nWide, nullptr, 0, nullptr, nullptr);
    if (nUtf8 <= 0) return std::string();
    std::string strUtf8(static_cast<std::size_t>(nUtf8), '\0');
    if (::WideCharToMultiByte(CP_UTF8, 0, pszWide, nWide, strUtf8.data(), nUtf8, nullptr,
                              nullptr) != nUtf8) {
        return std::string();
    }
    return strUtf8;
}

}  // namespace vd

#endif  // _WIN32
