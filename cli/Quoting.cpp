#include "cli/Quoting.h"

#include <cstdio>

namespace vd::cli {

// Length of the well-formed UTF-8 sequence at p (2 to 4 bytes), or 0.
static std::size_t Utf8SequenceLength(const unsigned char* p, std::size_t nLeft) {
    std::size_t nLength = 0;
    if (p[0] >= 0xC2 && p[0] <= 0xDF) {
        nLength = 2;
    } else if (p[0] >= 0xE0 && p[0] <= 0xEF) {
        nLength = 3;
    } else if (p[0] >= 0xF0 && p[0] <= 0xF4) {
        nLength = 4;
    } else {
        return 0;
    }
    if (nLeft < nLength) return 0;
    for (std::size_t i = 1; i < nLength; ++i) {
        if ((p[i] & 0xC0) != 0x80) return 0;
    }
    // Overlong forms, surrogates and code points above U+10FFFF.
    if ((p[0] == 0xE0 && p[1] < 0xA0) || (p[0] == 0xED && p[1] > 0x9F) ||
        (p[0] == 0xF0 && p[1] < 0x90) || (p[0] == 0xF4 && p[1] > 0x8F)) {
        return 0;
    }
    return nLength;
}

// The text in double quotes: quotes and backslashes escaped, control bytes
// and bytes that are not UTF-8 written as \xNN, so each record stays on one
// line whatever its bytes are.
std::string Quoted(const std::string& strText) {
    std::string strOut = "\"";
    const auto* p = reinterpret_cast<const unsigned char*>(strText.data());
    const std::size_t nSize = strText.size();
    for (std::size_t i = 0; i < nSize;) {
        const unsigned char c = p[i];
        if (c == '"' || c == '\\') {
            strOut += '\\';
            strOut += static_cast<char>(c);
            ++i;
        } else if (c >= 0x20 && c < 0x7F) {
            strOut += static_cast<char>(c);
            ++i;
        } else if (const std::size_t nSeq = c >= 0x80 ? Utf8SequenceLength(p + i, nSize - i) : 0;
                   nSeq > 0) {
            strOut.append(strText, i, nSeq);
            i += nSeq;
        } else {
            char szHex[8];
            std::snprintf(szHex, sizeof szHex, "\\x%02X", c);
            strOut += szHex;
            ++i;
        }
    }
    strOut += '"';
    return strOut;
}

}  // namespace vd::cli
