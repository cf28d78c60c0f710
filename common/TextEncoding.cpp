#include "common/TextEncoding.h"

#include <array>

namespace vd {
namespace {

// Windows-1252 from 0x80 to 0x9F; its five unassigned bytes stand for the C1
// control of the same number, as the system's own conversion does.
constexpr std::array<char16_t, 32> kWindows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char32_t Windows1252(unsigned char c) {
    return c >= 0x80 && c < 0xA0 ? kWindows1252High[c - 0x80] : char32_t{c};
}

// The length of the well-formed UTF-8 sequence at text[nPos] and its code
// point, or 0 when none starts there.
std::size_t Utf8Sequence(std::string_view text, std::size_t nPos, char32_t& c) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[nPos + i]); };
    const unsigned char b0 = byte(0);
    if (b0 < 0x80) {
        c = b0;
        return 1;
    }
    std::size_t nLength;
    char32_t nMin;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        nLength = 2, nMin = 0x80, c = b0 & 0x1Fu;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        nLength = 3, nMin = 0x800, c = b0 & 0x0Fu;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        nLength = 4, nMin = 0x10000, c = b0 & 0x07u;
    } else {
        return 0;
    }
    if (text.size() - nPos < nLength) return 0;
    for (std::size_t i = 1; i < nLength; ++i) {
        if ((byte(i) & 0xC0) != 0x80) return 0;
        c = (c << 6) | (byte(i) & 0x3Fu);
    }
    if (c < nMin || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
    return nLength;
}

}  // namespace

bool IsValidUtf8(std::string_view text) {
    for (std::size_t nPos = 0; nPos < text.size();) {
        char32_t c = 0;
        const std::size_t nLength = Utf8Sequence(text, nPos, c);
        if (nLength == 0) return false;
        nPos += nLength;
    }
    return true;
}

char32_t NextCharacter(std::string_view text, std::size_t& nPos) {
    char32_t c = 0;
    const std::size_t nLength = Utf8Sequence(text, nPos, c);
    if (nLength != 0) {
        nPos += nLength;
        return c;
    }
    return Windows1252(static_cast<unsigned char>(text[nPos++]));
}

void AppendUtf8(std::string& strOut, char32_t c) {
    if (c < 0x80) {
        strOut += static_cast<char>(c);
    } else if (c < 0x800) {
        strOut += static_cast<char>(0xC0 | (c >> 6));
        strOut += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        strOut += static_cast<char>(0xE0 | (c >> 12));
        strOut += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        strOut += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        strOut += static_cast<char>(0xF0 | (c >> 18));
        strOut += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        strOut += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        strOut += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::string TextAsUtf8(std::string_view text) {
    if (IsValidUtf8(text)) return std::string(text);
    std::string strOut;
    strOut.reserve(text.size() * 2);
    for (const char c : text) AppendUtf8(strOut, Windows1252(static_cast<unsigned char>(c)));
    return strOut;
}

}  // namespace vd
