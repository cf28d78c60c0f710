#include "common/PathQuoting.h"

#include <algorithm>
#include <cstdio>

namespace vd {
namespace {

bool IsControl(unsigned char b) { return b < 0x20 || b == 0x7F; }

}  // namespace

std::string QuotePath(const std::string& strPath) {
    std::string strOut;
    bool bOpen = false;
    const auto setOpen = [&](bool bWanted) {
        if (bOpen != bWanted) strOut += '\'';
        bOpen = bWanted;
    };
    for (const char c : strPath) {
        const auto b = static_cast<unsigned char>(c);
        if (c == '\'') {
            setOpen(false);
            strOut += "\\'";
        } else if (IsControl(b)) {
            setOpen(false);
            static constexpr char kNamed[] = "abtnvfr";  // 7 to 13
            if (b >= 7 && b <= 13) {
                strOut += "$'\\";
                strOut += kNamed[b - 7];
                strOut += '\'';
            } else {
                char szOctal[8];
                std::snprintf(szOctal, sizeof szOctal, "$'\\%03o'", unsigned{b});
                strOut += szOctal;
            }
        } else {
            setOpen(true);
            strOut += c;
        }
    }
    if (strOut.empty()) return "''";
    setOpen(false);
    return strOut;
}

std::string RecordField(const std::string& strPath) {
    const bool bPlain = std::none_of(strPath.begin(), strPath.end(), [](char c) {
        return c == '\'' || IsControl(static_cast<unsigned char>(c));
    });
    return bPlain ? strPath : QuotePath(strPath);
}

}  // namespace vd
