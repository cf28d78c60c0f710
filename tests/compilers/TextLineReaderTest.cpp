// The text-mode line reader on its own: pieces, line places, and carriage
// returns that meet the end of its read buffer.
#include <string>
#include <vector>

#include "compilers/TextLineReader.h"
#include "tests/TestSupport.h"

namespace vd::test {
namespace {

// Every piece the reader gives for the file, read nMax characters at a time.
std::vector<std::string> Pieces(const std::string& strPath, std::size_t nMax) {
    CTextLineReader reader;
    EXPECT_TRUE(reader.Open(strPath));
    std::vector<std::string> pieces;
    std::vector<char> line(nMax);
    std::size_t nRead = 0;
    while (reader.ReadLine(line.data(), nMax, &nRead) == CTextLineReader::resultLine) {
        pieces.emplace_back(line.data(), nRead);
    }
    EXPECT_TRUE(reader.AtEnd());
    return pieces;
}

TEST(TextLineReader, LinesPiecesAndLinePlaces) {
    CTempDir dir;
    WriteText(dir.File("t.txt"), "abcdef\r\ngh\r\n\nij");
    EXPECT_EQ(Pieces(dir.File("t.txt"), 4),
              (std::vector<std::string>{"abcd", "ef\n", "gh\n", "\n", "ij"}));

    CTextLineReader reader;
    ASSERT_TRUE(reader.Open(dir.File("t.txt")));
    char line[4];
    std::size_t nRead = 0;
    const std::vector<std::pair<long, std::size_t>> places = {
        {1, 1}, {1, 5}, {2, 1}, {3, 1}, {4, 1}};
    for (const auto& [nLine, nColumn] : places) {
        ASSERT_EQ(reader.ReadLine(line, sizeof line, &nRead), CTextLineReader::resultLine);
        EXPECT_EQ(reader.GetLineNumber(), nLine);
        EXPECT_EQ(reader.GetColumn(), nColumn);
        EXPECT_EQ(reader.AtEnd(), nLine == 4);  // only the last piece meets the end
    }
    EXPECT_EQ(reader.ReadLine(line, sizeof line, &nRead), CTextLineReader::resultEnd);
    EXPECT_EQ(nRead, 0U);
    EXPECT_TRUE(reader.AtEnd());
    // The end stays the end.
    EXPECT_EQ(reader.ReadLine(line, sizeof line, &nRead), CTextLineReader::resultEnd);
}

TEST(TextLineReader, CarriageReturnAcrossTheReadBuffer) {
    // The CR is the last byte of the reader's first 16 KiB block and its LF
    // the first byte of the next; a lone CR sits at the next boundary.
    CTempDir dir;
    const std::string strFirst = std::string(16383, 'a') + "\r\n";
    const std::string strSecond = std::string(16383 - 1, 'b') + "\r" + "c\n";
    WriteText(dir.File("t.txt"), strFirst + strSecond);
    EXPECT_EQ(Pieces(dir.File("t.txt"), 40000),
              (std::vector<std::string>{std::string(16383, 'a') + "\n",
                                        std::string(16382, 'b') + "\rc\n"}));
}

TEST(TextLineReader, EndOfTextByteAndTrailingCarriageReturn) {
    CTempDir dir;
    WriteText(dir.File("a.txt"), std::string("x\r\x1A") + "y\n");
    EXPECT_EQ(Pieces(dir.File("a.txt"), 10), (std::vector<std::string>{"x\r"}));
    WriteText(dir.File("b.txt"), "x\r");
    EXPECT_EQ(Pieces(dir.File("b.txt"), 10), (std::vector<std::string>{"x\r"}));
    WriteText(dir.File("c.txt"), std::string("\x1A") + "everything after\n");
    EXPECT_TRUE(Pieces(dir.File("c.txt"), 10).empty());
    // Zero bytes are ordinary characters.
    WriteText(dir.File("d.txt"), std::string("a\0b\n", 4));
    EXPECT_EQ(Pieces(dir.File("d.txt"), 10), (std::vector<std::string>{std::string("a\0b\n", 4)}));
}

TEST(TextLineReader, OpenAndReadFailures) {
    CTempDir dir;
    CTextLineReader reader;
    std::string strCause;
    EXPECT_FALSE(reader.Open(dir.File("absent.txt"), &strCause));
    EXPECT_FALSE(strCause.empty());
    EXPECT_FALSE(reader.Open(std::string("a\0b", 3), &strCause));

    // A folder opens on this platform but every read fails.
    if (reader.Open(dir.Path().string(), &strCause)) {
        char line[8];
        std::size_t nRead = 0;
        EXPECT_EQ(reader.ReadLine(line, sizeof line, &nRead), CTextLineReader::resultError);
        EXPECT_FALSE(reader.GetErrorCause().empty());
        EXPECT_EQ(reader.ReadLine(line, sizeof line, &nRead), CTextLineReader::resultError);
    }
}

}  // namespace
}  // namespace vd::test
