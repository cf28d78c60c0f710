// The contents compiler through the exported operation bCompileContents.
#include <filesystem>
#include <string>

#include "compilers/ContentsCompiler.h"
#include "tests/compilers/NavigationTestSupport.h"
#include "vellumdesk.h"

namespace vd::test {
namespace {

class ContentsCompilerTest : public ::testing::Test {
  protected:
    SCompiled Compile(const std::string& strOutline) {
        WriteText(m_dir.File("outline.txt"), strOutline);
        return Run(m_dir.File("outline.txt"), m_dir.Prefix());
    }

    static SCompiled Run(const std::string& strInput, const std::string& strPrefix) {
        const std::filesystem::path output = strPrefix + "inhalt.bin";
        std::error_code ec;
        std::filesystem::remove(output, ec);
        SCompiled compiled;
        compiled.nResult = ::bCompileContents(strInput.c_str(), strPrefix.c_str());
        compiled.bWritten = std::filesystem::is_regular_file(output);
        if (compiled.bWritten) compiled.bytes = ReadBytes(output);
        return compiled;
    }

    CTempDir m_dir;
};

TEST_F(ContentsCompilerTest, WorkedExampleByteForByte) {
    const SCompiled compiled = Compile("Introduction\n #Setup~7\n  Details\n");
    EXPECT_EQ(compiled.nResult, 1);
    const Bytes expected = {0x01, 0x04, 0x0D, 0x01, 'I', 'n', 't',  'r',  'o',  'd',
                            'u',  'c',  't',  'i',  'o', 'n', 0x00, 0x02, 0x07, 0x06,
                            0x02, 'S',  'e',  't',  'u', 'p', 0x00, 0x03, 0x08, 0x08,
                            0x01, 'D',  'e',  't',  'a', 'i', 'l',  's',  0x00};
    EXPECT_EQ(compiled.bytes, expected);
    EXPECT_EQ(compiled.bytes.size(), 17U + 10U + 12U);
}

TEST_F(ContentsCompilerTest, EmptyOutlineGivesEmptyFile) {
    const SCompiled compiled = Compile("");
    EXPECT_EQ(compiled.nResult, 1);
    EXPECT_TRUE(compiled.bWritten);
    EXPECT_TRUE(compiled.bytes.empty());

    // Blank lines alone give no records either.
    const SCompiled blanks = Compile("\n\r\n\n");
    EXPECT_EQ(blanks.nResult, 1);
    EXPECT_TRUE(blanks.bytes.empty());
}

TEST_F(ContentsCompilerTest, LevelsMayRiseOneStepAndFallAnyNumber) {
    // Default Numbers repeat every four levels: 4, 6, 8, 10, 4, 6.
    SCompiled compiled = Compile("a\n b\n  c\n   d\n    e\n     f\ng\n");
    EXPECT_EQ(compiled.nResult, 1);
    EXPECT_EQ(compiled.bytes, Join({ContentsRecord(1, 4, 1, "a"), ContentsRecord(2, 6, 1, "b"),
                                    ContentsRecord(3, 8, 1, "c"), ContentsRecord(4, 10, 1, "d"),
                                    ContentsRecord(5, 4, 1, "e"), ContentsRecord(6, 6, 1, "f"),
                                    ContentsRecord(1, 4, 1, "g")}));

    // Blank lines leave the previous level alone: level 2 after a blank line
    // that follows level 1 is still one step.
    compiled = Compile("a\n\n b\n");
    EXPECT_EQ(compiled.nResult, 1);
    EXPECT_EQ(compiled.bytes, Join({ContentsRecord(1, 4, 1, "a"), ContentsRecord(2, 6, 1, "b")}));
}

TEST_F(ContentsCompilerTest, TooDeepALineStopsAndWritesNothing) {
    // The first line must have level 1.
    SCompiled compiled = Compile(" Setup\nIntro\n");
    EXPECT_EQ(compiled.nResult, 0);
    EXPECT_FALSE(compiled.bWritten);

    // From level 1 to 3 in the middle of the file.
    compiled = Compile("a\n b\nc\n  d\ne\n");
    EXPECT_EQ(compiled.nResult, 0);
    EXPECT_FALSE(compiled.bWritten);
}

TEST_F(ContentsCompilerTest, TildeAndHashForms) {
    const SCompiled compiled = Compile(
        "~5\n"                      // empty text, Number 5
        "a~b~3\n"                   // the last "~" counts
        "#Word\n"                   // kind 2, Number 12
        "#Word~3\n"                 // kind 2, Number from the "~"
        "x~300\n"                   // wraps to 44
        "x~q\n"                     // no digits: 0
        "x~-1\n"                    // 255
        "x~ \t+9 z\n"               // white space and a sign before the digits
        "x~99999999999999999999\n"  // any length wraps modulo 256
        "#\n"                       // a "#" alone: kind 2, empty text
        "a#b\n");                   // "#" counts only right after the spaces
    EXPECT_EQ(compiled.nResult, 1);
    EXPECT_EQ(compiled.bytes, Join({ContentsRecord(1, 5, 1, ""), ContentsRecord(1, 3, 1, "a~b"),
                                    ContentsRecord(1, 12, 2, "Word"),
                                    ContentsRecord(1, 3, 2, "Word"), ContentsRecord(1, 44, 1, "x"),
                                    ContentsRecord(1, 0, 1, "x"), ContentsRecord(1, 255, 1, "x"),
                                    ContentsRecord(1, 9, 1, "x"), ContentsRecord(1, 255, 1, "x"),
                                    ContentsRecord(1, 12, 2, ""), ContentsRecord(1, 4, 1, "a#b")}));
    // The smallest record: a line of "~", "5" and a line feed.
    EXPECT_EQ(Bytes(compiled.bytes.begin(), compiled.bytes.begin() + 5),
              (Bytes{0x01, 0x05, 0x01, 0x01, 0x00}));
}

TEST_F(ContentsCompilerTest, LineOfSpacesIsAnEmptyEntry) {
    const SCompiled compiled = Compile("a\n \n  \n");
    EXPECT_EQ(compiled.nResult, 1);
    EXPECT_EQ(compiled.bytes, Join({ContentsRecord(1, 4, 1, "a"), ContentsRecord(2, 6, 1, ""),
                                    ContentsRecord(3, 8, 1, "")}));
}

TEST_F(ContentsCompilerTest, TextModeReading) {
    // CR LF and LF alone give the same records.
    const SCompiled lf = Compile("Introduction\n #Setup~7\n  Details\n");
    const SCompiled crlf = Compile("Introduction\r\n #Setup~7\r\n  Details\r\n");
    EXPECT_EQ(crlf.nResult, 1);
    EXPECT_EQ(crlf.bytes, lf.bytes);

    // A CR that is not right before an LF stays in the text; 0x1A ends the
    // input, whatever follows it.
    const SCompiled stray = Compile(
        "a\rb\nc\r\r\nd\re~1\r\n\x1A"
        "after\n");
    EXPECT_EQ(stray.nResult, 1);
    EXPECT_EQ(stray.bytes, Join({ContentsRecord(1, 4, 1, "a\rb"), ContentsRecord(1, 4, 1, "c\r"),
                                 ContentsRecord(1, 1, 1, "d\re")}));
}

TEST_F(ContentsCompilerTest, LastLineWithoutLineBreakKeepsAllItsCharacters) {
    SCompiled compiled = Compile("a\nlast");
    EXPECT_EQ(compiled.nResult, 1);
    EXPECT_EQ(compiled.bytes,
              Join({ContentsRecord(1, 4, 1, "a"), ContentsRecord(1, 4, 1, "last")}));

    compiled = Compile("a\nlast~9");
    EXPECT_EQ(compiled.bytes,
              Join({ContentsRecord(1, 4, 1, "a"), ContentsRecord(1, 9, 1, "last")}));

    compiled = Compile("a\nends in CR\r");
    EXPECT_EQ(compiled.bytes,
              Join({ContentsRecord(1, 4, 1, "a"), ContentsRecord(1, 4, 1, "ends in CR\r")}));
}

TEST_F(ContentsCompilerTest, LongTextsAreCutAndLongLinesReadInPieces) {
    // A text of 300 characters keeps its first 254, Length 255.
    SCompiled compiled = Compile(std::string(300, 't') + "~2\n");
    EXPECT_EQ(compiled.nResult, 1);
    EXPECT_EQ(compiled.bytes, ContentsRecord(1, 2, 1, std::string(254, 't')));
    EXPECT_EQ(compiled.bytes[2], 255);

    // A line of 999 characters fills one read; its line feed then comes as a
    // blank line of its own and adds nothing.
    compiled = Compile(std::string(999, 'x') + "\nnext\n");
    EXPECT_EQ(compiled.nResult, 1);
    EXPECT_EQ(compiled.bytes, Join({ContentsRecord(1, 4, 1, std::string(254, 'x')),
                                    ContentsRecord(1, 4, 1, "next")}));

    // A longer line is read in pieces of 999 characters, each a line of its
    // own: the "~" of the second piece does not reach back into the first.
    compiled = Compile(std::string(999, 'x') + "yz~6\n");
    EXPECT_EQ(compiled.nResult, 1);
    EXPECT_EQ(compiled.bytes, Join({ContentsRecord(1, 4, 1, std::string(254, 'x')),
                                    ContentsRecord(1, 6, 1, "yz")}));

    // A piece may start with spaces and so go one level deeper - or fail.
    compiled = Compile(std::string(999, 'x') + " deeper\n");
    EXPECT_EQ(compiled.nResult, 1);
    EXPECT_EQ(compiled.bytes, Join({ContentsRecord(1, 4, 1, std::string(254, 'x')),
                                    ContentsRecord(2, 6, 1, "deeper")}));
    compiled = Compile(std::string(999, 'x') + "  too deep\n");
    EXPECT_EQ(compiled.nResult, 0);
    EXPECT_FALSE(compiled.bWritten);
}

TEST_F(ContentsCompilerTest, LevelsUpTo127AndNoDeeper) {
    std::string strOutline;
    Bytes expected;
    for (int nLevel = 1; nLevel <= 127; ++nLevel) {
        strOutline += std::string(static_cast<std::size_t>(nLevel - 1), ' ') + "L\n";
        expected = Join({expected, ContentsRecord(nLevel, ((nLevel - 1) & 3) * 2 + 4, 1, "L")});
    }
    SCompiled compiled = Compile(strOutline);
    EXPECT_EQ(compiled.nResult, 1);
    EXPECT_EQ(compiled.bytes, expected);

    // Level 128 does not fit the format: the compilation stops there.
    compiled = Compile(strOutline + std::string(127, ' ') + "too deep\nafter\n");
    EXPECT_EQ(compiled.nResult, 0);
    EXPECT_FALSE(compiled.bWritten);
}

TEST_F(ContentsCompilerTest, MissingInputMakesNoOutput) {
    const SCompiled compiled = Run(m_dir.File("absent.txt"), m_dir.Prefix());
    EXPECT_EQ(compiled.nResult, 0);
    EXPECT_FALSE(compiled.bWritten);

    std::string strReason;
    EXPECT_EQ(vd::bCompileContents(m_dir.File("absent.txt"), m_dir.Prefix(), &strReason), 0);
    EXPECT_NE(strReason.find("absent.txt"), std::string::npos) << strReason;
}

TEST_F(ContentsCompilerTest, UnwritableDestinationAnswersZero) {
    WriteText(m_dir.File("outline.txt"), "a\n");
    // A folder that does not exist.
    EXPECT_EQ(Run(m_dir.File("outline.txt"), m_dir.Prefix() + "missing/").nResult, 0);
    // A folder standing where the output file would be.
    std::filesystem::create_directory(m_dir.File("sub"));
    std::filesystem::create_directory(m_dir.File("sub/inhalt.bin"));
    EXPECT_EQ(
        ::bCompileContents(m_dir.File("outline.txt").c_str(), (m_dir.File("sub") + "/").c_str()),
        0);

    std::string strReason;
    EXPECT_EQ(
        vd::bCompileContents(m_dir.File("outline.txt"), m_dir.Prefix() + "missing/", &strReason),
        0);
    EXPECT_NE(strReason.find("missing/inhalt.bin"), std::string::npos) << strReason;
}

TEST_F(ContentsCompilerTest, WriteErrorIsAFailure) {
    // The disk is full after 1000 bytes; the outline needs more.
    std::string strOutline;
    for (int n = 0; n < 200; ++n) strOutline += "entry " + std::to_string(n) + "\n";
    WriteText(m_dir.File("outline.txt"), strOutline);
    const int nChild = RunWithFileSizeLimit(1000, [&] {
        std::string strReason;
        const int nResult =
            vd::bCompileContents(m_dir.File("outline.txt"), m_dir.Prefix(), &strReason);
        return nResult == 0 && strReason.find("cannot write '") != std::string::npos ? 0 : 1;
    });
    EXPECT_EQ(nChild, 0);
    EXPECT_EQ(FolderContents(m_dir.Path()), std::vector<std::string>{"outline.txt"});
}

TEST_F(ContentsCompilerTest, ReadErrorIsAFailure) {
    // A folder opens but cannot be read.
    std::filesystem::create_directory(m_dir.File("folder"));
    std::string strReason;
    EXPECT_EQ(vd::bCompileContents(m_dir.File("folder"), m_dir.Prefix(), &strReason), 0);
    EXPECT_FALSE(strReason.empty());
}

TEST_F(ContentsCompilerTest, PrefixHasNoLengthLimit) {
    // A prefix well beyond the thousand characters of a fixed name buffer.
    std::filesystem::path folder = m_dir.Path();
    for (int i = 0; i < 6; ++i) folder /= std::string(200, static_cast<char>('a' + i));
    std::filesystem::create_directories(folder);
    const std::string strPrefix = folder.string() + "/";
    ASSERT_GT(strPrefix.size(), 1200U);
    WriteText(m_dir.File("outline.txt"), "Introduction\n");
    const SCompiled compiled = Run(m_dir.File("outline.txt"), strPrefix);
    EXPECT_EQ(compiled.nResult, 1);
    EXPECT_EQ(compiled.bytes, ContentsRecord(1, 4, 1, "Introduction"));

    // The prefix is joined as it stands: it need not end in a separator.
    const SCompiled named = Run(m_dir.File("outline.txt"), m_dir.Prefix() + "book-");
    EXPECT_EQ(named.nResult, 1);
    EXPECT_TRUE(std::filesystem::is_regular_file(m_dir.File("book-inhalt.bin")));
}

TEST_F(ContentsCompilerTest, OutlineIsNeverItsOwnOutput) {
    const std::string strOutline = m_dir.File("inhalt.bin");
    WriteText(strOutline, "Introduction\n");
    EXPECT_EQ(::bCompileContents(strOutline.c_str(), m_dir.Prefix().c_str()), 0);
    EXPECT_EQ(ReadBytes(strOutline),
              Bytes({'I', 'n', 't', 'r', 'o', 'd', 'u', 'c', 't', 'i', 'o', 'n', '\n'}));
}

TEST_F(ContentsCompilerTest, ReasonNamesTheFileAndLine) {
    WriteText(m_dir.File("outline.txt"), "a\n b\n\n   c\n");
    std::string strReason;
    EXPECT_EQ(vd::bCompileContents(m_dir.File("outline.txt"), m_dir.Prefix(), &strReason), 0);
    EXPECT_NE(strReason.find("outline.txt': line 4:"), std::string::npos) << strReason;
    EXPECT_NE(strReason.find("level 4 follows level 2"), std::string::npos) << strReason;
}

}  // namespace
}  // namespace vd::test
