// The category compiler: each non-blank line "name=text,first,second" of a
// category list becomes one record of "kategorien.bin":
//   NameLength, Name, TextLength, Text, First, Second
// with both numbers stored as their low 8 bits.
#include "compilers/CategoryCompiler.h"

#include <array>
#include <cstdint>
#include <cstring>

#include "common/PathQuoting.h"
#include "common/Strings.h"
#include "compilers/CompilerOutput.h"
#include "compilers/TextLineReader.h"

namespace vd {

namespace {

constexpr std::size_t kMaxLineChars = 254;   // a longer line is read in pieces
constexpr std::size_t kMaxFieldChars = 127;  // longest name or text a length byte may announce
constexpr std::size_t kMaxRecordSize = 1 + kMaxFieldChars + 1 + kMaxFieldChars + 2;

const char* Find(const char* pBegin, const char* pEnd, char c) {
    const void* pFound = std::memchr(pBegin, c, static_cast<std::size_t>(pEnd - pBegin));
    return static_cast<const char*>(pFound);
}

}  // namespace

int bCompileCategory(const std::string& strList, const std::string& strPrefix,
                     std::string* pstrReason) {
    const std::string strOutput = strPrefix + "kategorien.bin";
    CTextLineReader reader;
    CBinaryOutput output;
    if (!bOpenCompilation(strList, "category list", strOutput, reader, output, pstrReason))
        return 0;

    std::array<char, kMaxLineChars> line{};
    std::array<std::uint8_t, kMaxRecordSize> record{};
    for (;;) {
        std::size_t nRead = 0;
        const CTextLineReader::EResult result = reader.ReadLine(line.data(), line.size(), &nRead);
        if (result == CTextLineReader::resultError) {
            SetReason(pstrReason,
                      "cannot read " + QuotePath(strList) + ": " + reader.GetErrorCause());
            return 0;
        }
        if (result == CTextLineReader::resultEnd) break;
        if (line[0] == '\n') continue;  // blank line: no record

        const auto Fail = [&](const std::string& strProblem) {
            SetReason(pstrReason, "cannot compile " + QuotePath(strList) + ": " +
                                      LinePlace(reader.GetLineNumber(), reader.GetColumn()) + ": " +
                                      strProblem + " (expected name=text,number,number)");
            return 0;
        };
        const char* const pLine = line.data();
        const char* const pLineEnd = pLine + nRead;

        // The name runs up to the line's first "=", the text from there to
        // the next ","; the name may hold "," and the text "=".
        const char* const pEquals = Find(pLine, pLineEnd, '=');
        if (pEquals == nullptr) return Fail("no \"=\"");
        const std::size_t nName = static_cast<std::size_t>(pEquals - pLine);
        if (nName > kMaxFieldChars) {
            return Fail("the name has " + std::to_string(nName) + " characters (at most " +
                        std::to_string(kMaxFieldChars) + ")");
        }
        const char* const pText = pEquals + 1;
        const char* const pFirstComma = Find(pText, pLineEnd, ',');
        if (pFirstComma == nullptr) return Fail("no \",\" after the \"=\"");
        const std::size_t nText = static_cast<std::size_t>(pFirstComma - pText);
        if (nText > kMaxFieldChars) {
            return Fail("the text has " + std::to_string(nText) + " characters (at most " +
                        std::to_string(kMaxFieldChars) + ")");
        }
        const char* const pSecondComma = Find(pFirstComma + 1, pLineEnd, ',');
        if (pSecondComma == nullptr) return Fail("no second \",\"");

        std::uint8_t* pOut = record.data();
        *pOut++ = static_cast<std::uint8_t>(nName);
        std::memcpy(pOut, pLine, nName);
        pOut += nName;
        *pOut++ = static_cast<std::uint8_t>(nText);
        std::memcpy(pOut, pText, nText);
        pOut += nText;
        // Anything after the second number's digits is ignored.
        *pOut++ = nLowByteOfDecimal(pFirstComma + 1, pSecondComma);
        *pOut++ = nLowByteOfDecimal(pSecondComma + 1, pLineEnd);
        if (!output.Write(record.data(), static_cast<std::size_t>(pOut - record.data()),
                          pstrReason))
            return 0;
    }
    reader.Close();
    return output.Close(pstrReason) ? 1 : 0;
}

}  // namespace vd
