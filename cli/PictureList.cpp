#include "cli/PictureList.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iostream>
#include <limits>

#include "cli/Arguments.h"
#include "cli/Command.h"
#include "common/TextLimits.h"

namespace vd::cli {

bool ParseSourceKey(const std::string& strText, std::int32_t& nKey) {
    // Digits only (after an optional minus): no sign, blank or zero byte
    // that a number parser would stop at or skip.
    const std::size_t nDigits = !strText.empty() && strText[0] == '-' ? 1 : 0;
    if (strText.size() == nDigits ||
        strText.find_first_not_of("0123456789", nDigits) != std::string::npos) {
        return false;
    }
    long long nValue = 0;
    if (!ParseNumber(strText, std::numeric_limits<std::int32_t>::min(),
                     std::numeric_limits<std::int32_t>::max(), nValue)) {
        return false;
    }
    nKey = static_cast<std::int32_t>(nValue);
    return true;
}

namespace {

enum class ELineResult { line, end, tooLong, tooLarge };

// std::getline with bounds: a line is at most kMaxTextLineBytes long and the
// whole input at most kMaxTextInputBytes (nTotal counts what was read), so
// that an endless stream ends the run instead of filling the memory.
ELineResult ReadBoundedLine(std::istream& in, std::string& strLine, std::uint64_t& nTotal) {
    strLine.clear();
    std::streambuf& buffer = *in.rdbuf();
    for (;;) {
        const int c = buffer.sbumpc();
        if (c == std::char_traits<char>::eof()) {
            in.setstate(std::ios::eofbit);
            return strLine.empty() ? ELineResult::end : ELineResult::line;
        }
        if (++nTotal > kMaxTextInputBytes) return ELineResult::tooLarge;
        if (c == '\n') return ELineResult::line;
        if (strLine.size() == kMaxTextLineBytes) return ELineResult::tooLong;
        strLine += static_cast<char>(c);
    }
}

}  // namespace

bool ReadPictureList(const std::string& strPath, std::vector<SPicture>& pictures,
                     std::string* pstrProblem) {
    // "-" is standard input.
    std::ifstream file;
    if (strPath != "-") {
        errno = 0;
        file.open(strPath, std::ios::binary);
        if (!file) {
            *pstrProblem = "cannot open " + QuotePath(strPath) + ": " +
                           std::strerror(errno != 0 ? errno : ENOENT);
            return false;
        }
    }
    std::istream& in = strPath == "-" ? std::cin : file;
    constexpr const char* kBlanks = " \t\r\f\v";
    std::string strLine;
    std::uint64_t nTotal = 0;
    for (std::size_t nLine = 1;; ++nLine) {
        ELineResult result = ELineResult::end;
        try {
            errno = 0;
            result = ReadBoundedLine(in, strLine, nTotal);
        } catch (const std::ios_base::failure&) {
            // The stream's own text names no file; the system's reason does.
            *pstrProblem = "cannot read " + QuotePath(strPath) + ": " +
                           std::strerror(errno != 0 ? errno : EIO);
            return false;
        }
        if (result == ELineResult::end) break;
        if (result != ELineResult::line) {
            *pstrProblem = "cannot read " + QuotePath(strPath) + ": " +
                           (result == ELineResult::tooLong
                                ? "line " + std::to_string(nLine) + " is " + kTextLineLimitText
                                : std::string("it is ") + kTextInputLimitText);
            return false;
        }
        // A zero byte would end the path where the system reads it, so the
        // file named before it could be replaced by the output; a list that
        // holds one anywhere, comments included, is malformed.
        if (strLine.find('\0') != std::string::npos) {
            *pstrProblem = "cannot read " + QuotePath(strPath) + ": line " + std::to_string(nLine) +
                           ": it holds a zero byte";
            return false;
        }
        const std::size_t nStart = strLine.find_first_not_of(kBlanks);
        if (nStart == std::string::npos || strLine[nStart] == '#') continue;
        const std::size_t nKeyEnd = strLine.find_first_of(kBlanks, nStart);
        const std::string strKey = strLine.substr(nStart, nKeyEnd - nStart);
        const std::size_t nPath =
            nKeyEnd == std::string::npos ? nKeyEnd : strLine.find_first_not_of(kBlanks, nKeyEnd);
        const std::string strWhere =
            "cannot read " + QuotePath(strPath) + ": line " + std::to_string(nLine) + ": ";
        SPicture picture;
        if (!ParseSourceKey(strKey, picture.nKey)) {
            *pstrProblem = strWhere + "KEY must be a whole number (32 bits), not '" + strKey + "'";
            return false;
        }
        if (nPath == std::string::npos) {
            *pstrProblem = strWhere + "the SHG file is missing after the key";
            return false;
        }
        picture.strShg = strLine.substr(nPath, strLine.find_last_not_of(kBlanks) + 1 - nPath);
        pictures.push_back(std::move(picture));
    }
    if (in.bad()) {
        *pstrProblem =
            "cannot read " + QuotePath(strPath) + ": " + std::strerror(errno != 0 ? errno : EIO);
        return false;
    }
    return true;
}

}  // namespace vd::cli
