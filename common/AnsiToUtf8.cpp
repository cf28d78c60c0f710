#include "common/AnsiToUtf8.h"

#ifdef _WIN32

#include <windows.h>

#include <climits>

namespace vd {

std::string AnsiToUtf8(const std::string& strAnsi) {
    if (strAnsi.empty() || strAnsi.size() > static_cast<std::size_t>(INT_MAX / 4)) {
        return strAnsi;
    }
    const int nAnsi = static_cast<int>(strAnsi.size());
    const int nWide = ::MultiByteToWideChar(CP_ACP, 0, strAnsi.data(), nAnsi, nullptr, 0);
    if (nWide <= 0) return strAnsi;
    std::wstring strWide(static_cast<std::size_t>(nWide), L'\0');
    if (::MultiByteToWideChar(CP_ACP, 0, strAnsi.data(), nAnsi, strWide.data(), nWide) != nWide) {
        return strAnsi;
    }
    const int nUtf8 =
        ::WideCharToMultiByte(CP_UTF8, 0, strWide.data(), nWide, nullptr, 0, nullptr, nullptr);
    if (nUtf8 <= 0) return strAnsi;
    std::string strUtf8(static_cast<std::size_t>(nUtf8), '\0');
    if (::WideCharToMultiByte(CP_UTF8, 0, strWide.data(), nWide, strUtf8.data(), nUtf8, nullptr,
                              nullptr) != nUtf8) {
        return strAnsi;
    }
    return strUtf8;
}

}  // namespace vd

#else  // !_WIN32

namespace vd {

std::string AnsiToUtf8(const std::string& strAnsi) { return strAnsi; }

}  // namespace vd

#endif  // _WIN32
