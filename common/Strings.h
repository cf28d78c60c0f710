// Small helpers on narrow strings (paths and texts are std::string).
#pragma once

#include <string>
#include <string_view>

namespace vd {

// True for a character that separates folders in a path on this platform.
// Windows paths use the backslash only; on other platforms "/" is the native
// separator and a backslash is accepted as well.
constexpr bool IsPathSeparator(char c) {
#ifdef _WIN32
    return c == '\\';
#else
    return c == '/' || c == '\\';
#endif
}

// The part of a path after its last separator (the whole path when it has none).
std::string FileNamePart(std::string_view path);

// The part of a path up to and including its last separator ("" when none).
std::string FolderPart(std::string_view path);

bool EndsWith(std::string_view text, std::string_view suffix);

// Stores strReason in *pstrReason when a reason sink was given. The core
// drivers report why they answered 0 this way; the exported operations pass
// no sink, the command-line tool does.
inline void SetReason(std::string* pstrReason, std::string strReason) {
    if (pstrReason != nullptr) *pstrReason = std::move(strReason);
}

}  // namespace vd
