// The contents compiler: each non-blank line of an indented outline becomes
// one record of "inhalt.bin":
//   Level (1 + leading spaces), Number, Length (text + zero byte), Kind,
//   then the text and a zero byte.
// A line may go at most one level deeper than the line before it.
#include "compilers/ContentsCompiler.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#include "common/PathQuoting.h"
#include "common/Strings.h"
#include "compilers/CompilerOutput.h"
#include "compilers/TextLineReader.h"

namespace vd {

namespace {

constexpr std::size_t kMaxLineChars = 999;  // a longer line is read in pieces
constexpr std::size_t kMaxTextChars = 254;  // longer texts are cut
constexpr std::size_t kMaxLevel = 127;      // the deepest level the format holds
constexpr std::size_t kHeaderSize = 4;
constexpr std::uint8_t kKindEntry = 1;
constexpr std::uint8_t kKindMarked = 2;  // the line's text began with "#"
constexpr std::uint8_t kMarkedNumber = 12;

// The Number of an entry whose line has no "~": 4, 6, 8, 10 for levels 1 to 4,
// repeating from level 5 on; 12 for a "#" entry.
std::uint8_t nDefaultNumber(std::size_t nLevel, std::uint8_t nKind) {
    if (nKind == kKindMarked) return kMarkedNumber;
    return static_cast<std::uint8_t>(((nLevel - 1) & 3U) * 2U + 4U);
}

}  // namespace

int bCompileContents(const std::string& strOutline, const std::string& strPrefix,
                     std::string* pstrReason) {
    const std::string strOutput = strPrefix + "inhalt.bin";
    CTextLineReader reader;
    CBinaryOutput output;
    if (!bOpenCompilation(strOutline, "outline", strOutput, reader, output, pstrReason)) return 0;

    std::array<char, kMaxLineChars> line{};
    std::array<std::uint8_t, kHeaderSize + kMaxTextChars + 1> record{};
    std::size_t nPreviousLevel = 0;
    for (;;) {
        std::size_t nRead = 0;
        const CTextLineReader::EResult result = reader.ReadLine(line.data(), line.size(), &nRead);
        if (result == CTextLineReader::resultError) {
            SetReason(pstrReason,
                      "cannot read " + QuotePath(strOutline) + ": " + reader.GetErrorCause());
            return 0;
        }
        if (result == CTextLineReader::resultEnd) break;
        if (line[0] == '\n') continue;  // blank line: no record, level unchanged

        const auto Place = [&] {
            return "cannot compile " + QuotePath(strOutline) + ": " +
                   LinePlace(reader.GetLineNumber(), reader.GetColumn()) + ": ";
        };
        std::size_t nPos = 0;
        while (nPos < nRead && line[nPos] == ' ') ++nPos;
        const std::size_t nLevel = nPos + 1;
        if (nLevel > nPreviousLevel + 1) {
            SetReason(pstrReason,
                      Place() + "level " + std::to_string(nLevel) +
                          (nPreviousLevel == 0
                               ? " on the first line (it must have level 1, no leading spaces)"
                               : " follows level " + std::to_string(nPreviousLevel) +
                                     " (a line may go only one level deeper)"));
            return 0;
        }
        if (nLevel > kMaxLevel) {
            SetReason(pstrReason, Place() + "level " + std::to_string(nLevel) + " is deeper than " +
                                      std::to_string(kMaxLevel));
            return 0;
        }
        nPreviousLevel = nLevel;

        std::uint8_t nKind = kKindEntry;
        if (nPos < nRead && line[nPos] == '#') {
            nKind = kKindMarked;
            ++nPos;
        }
        const char* const pText = line.data() + nPos;
        const char* const pLineEnd = line.data() + nRead;

        // The last "~" ends the text and is followed by the Number.
        const char* pTilde = nullptr;
        for (const char* p = pLineEnd; p != pText;) {
            if (*--p == '~') {
                pTilde = p;
                break;
            }
        }
        std::uint8_t nNumber = 0;
        const char* pTextEnd = pLineEnd;
        if (pTilde != nullptr) {
            nNumber = nLowByteOfDecimal(pTilde + 1, pLineEnd);
            pTextEnd = pTilde;
        } else {
            nNumber = nDefaultNumber(nLevel, nKind);
            // A line without a line feed (the last line of a file without a
            // final break, or a piece of a long line) keeps all it holds.
            if (pTextEnd != pText && pTextEnd[-1] == '\n') --pTextEnd;
        }
        const std::size_t nText =
            std::min(static_cast<std::size_t>(pTextEnd - pText), kMaxTextChars);

        record[0] = static_cast<std::uint8_t>(nLevel);
        record[1] = nNumber;
        record[2] = static_cast<std::uint8_t>(nText + 1);
        record[3] = nKind;
        std::memcpy(record.data() + kHeaderSize, pText, nText);
        record[kHeaderSize + nText] = 0;
        if (!output.Write(record.data(), kHeaderSize + nText + 1, pstrReason)) return 0;
    }
    reader.Close();
    return output.Close(pstrReason) ? 1 : 0;
}

}  // namespace vd
