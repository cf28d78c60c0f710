// Character forms of narrow text. Inside the library text is UTF-8; strings
// read from pictures may come in UTF-8 or in the Windows-1252 code page of
// older authoring tools, and are told apart by whether they are valid UTF-8.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vd {

// True when text is well-formed UTF-8 (no overlong forms, no surrogates,
// nothing above U+10FFFF).
bool IsValidUtf8(std::string_view text);

// The character at text[nPos], and nPos moved past it: the code point of a
// well-formed UTF-8 sequence, otherwise the Windows-1252 character of the
// one byte there.
char32_t NextCharacter(std::string_view text, std::size_t& nPos);

// Appends the UTF-8 form of a code point.
void AppendUtf8(std::string& strOut, char32_t c);

// text unchanged when it is valid UTF-8, otherwise read as Windows-1252 and
// answered in UTF-8.
std::string TextAsUtf8(std::string_view text);

}  // namespace vd
