// Text between the library's narrow strings and the Windows wide-character
// API. Inside the library every narrow string is UTF-8: paths as the host
// passed them (converted once from its ANSI code page), names read from the
// project database and strings read from pictures. Every file and folder call
// on Windows goes through the ...W functions with these conversions, so a
// name reaches the disk with the same characters on every platform.
#pragma once

#ifdef _WIN32

#include <string>

namespace vd {

// strUtf8 as UTF-16. A byte that is not part of valid UTF-8 becomes U+FFFD,
// which no file name holds, so a malformed name is never opened as another.
std::wstring WidePath(const std::string& strUtf8);

// The UTF-8 form of nLength UTF-16 units (an unpaired surrogate becomes
// U+FFFD).
std::string Utf8FromWide(const wchar_t* pszWide, std::size_t nLength);

}  // namespace vd

#endif  // _WIN32
