// The category compiler through the exported operation bCompileCategory.
#include <filesystem>
#include <string>

#include "compilers/CategoryCompiler.h"
#include "tests/compilers/NavigationTestSupport.h"
#include "vellumdesk.h"

namespace vd::test {
namespace {

class CategoryCompilerTest : public ::testing::Test {
  protected:
    SCompiled Compile(const std::string& strList) {
        WriteText(m_dir.File("list.txt"), strList);
        return Run(m_dir.File("list.txt"), m_dir.Prefix());
    }

    static SCompiled Run(const std::string& strInput, const std::string& strPrefix) {
        const std::filesystem::path output = strPrefix + "kategorien.bin";
        std::error_code ec;
        std::filesystem::remove(output, ec);
        SCompiled compiled;
        compiled.nResult = ::bCompileCategory(strInput.c_str(), strPrefix.c_str());
        compiled.bWritten = std::filesystem::is_regular_file(output);
        if (compiled.bWritten) compiled.bytes = ReadBytes(output);
        return compiled;
    }

    std::string Reason(const std::string& strList) {
        WriteText(m_dir.File("list.txt"), strList);
        std::string strReason;
        EXPECT_EQ(vd::bCompileCategory(m_dir.File("list.txt"), m_dir.Prefix(), &strReason), 0);
        return strReason;
    }

    CTempDir m_dir;
};

TEST_F(CategoryCompilerTest, WorkedExampleByteForByte) {
    const SCompiled compiled = Compile("news=Latest news,2,5\n");
    EXPECT_EQ(compiled.nResult, 1);
    const Bytes expected = {0x04, 'n', 'e', 'w', 's', 0x0B, 'L', 'a',  't', 'e',
                            's',  't', ' ', 'n', 'e', 'w',  's', 0x02, 0x05};
    EXPECT_EQ(compiled.bytes, expected);
}

TEST_F(CategoryCompilerTest, EmptyListAndBlankLines) {
    SCompiled compiled = Compile("");
    EXPECT_EQ(compiled.nResult, 1);
    EXPECT_TRUE(compiled.bWritten);
    EXPECT_TRUE(compiled.bytes.empty());

    compiled = Compile("\na=b,1,2\n\n\r\nc=d,3,4\n\n");
    EXPECT_EQ(compiled.nResult, 1);
    EXPECT_EQ(compiled.bytes,
              Join({CategoryRecord("a", "b", 1, 2), CategoryRecord("c", "d", 3, 4)}));
}

TEST_F(CategoryCompilerTest, FieldForms) {
    const SCompiled compiled = Compile(
        "=,,\n"                              // nothing at all: 00 00 00 00
        "a,b=c=d,1,2\n"                      // only the first "=" splits; the name may hold ","
        "n=t,1,2,3,x\n"                      // after the second number, anything is ignored
        "n=t,7 apples,8x\n"                  // each number ends at its first non-digit
        "n=t,260,-1\n"                       // low 8 bits: 4 and 0xFF
        "n=t, +9,\t12\n"                     // white space and a sign before the digits
        "n=t,99999999999999999999,-300\n");  // any length wraps modulo 256
    EXPECT_EQ(compiled.nResult, 1);
    EXPECT_EQ(
        compiled.bytes,
        Join({Bytes{0, 0, 0, 0}, CategoryRecord("a,b", "c=d", 1, 2), CategoryRecord("n", "t", 1, 2),
              CategoryRecord("n", "t", 7, 8), CategoryRecord("n", "t", 4, 0xFF),
              CategoryRecord("n", "t", 9, 12), CategoryRecord("n", "t", 255, 212)}));
}

TEST_F(CategoryCompilerTest, MalformedLineStopsAndWritesNothing) {
    for (const char* pszBad : {"no equals sign,1,2\n", "name=no comma\n", "name=text,1\n",
                               "   \n" /* spaces are not a blank line */}) {
        const SCompiled compiled = Compile(std::string("a=b,1,2\n") + pszBad + "c=d,3,4\n");
        EXPECT_EQ(compiled.nResult, 0) << pszBad;
        EXPECT_FALSE(compiled.bWritten) << pszBad;
    }
    const SCompiled compiled = Compile("oops\na=b,1,2\n");
    EXPECT_EQ(compiled.nResult, 0);
    EXPECT_FALSE(compiled.bWritten);
}

TEST_F(CategoryCompilerTest, TextModeReading) {
    const SCompiled lf = Compile("news=Latest news,2,5\nhelp=Help,1,0\n");
    const SCompiled crlf = Compile("news=Latest news,2,5\r\nhelp=Help,1,0\r\n");
    EXPECT_EQ(crlf.nResult, 1);
    EXPECT_EQ(crlf.bytes, lf.bytes);

    // A CR elsewhere stays; 0x1A ends the list; a last line without a line
    // break still counts.
    SCompiled compiled = Compile(
        "a\r=b\r,1,2\nc=d,3,4\x1A"
        "garbage without equals\n");
    EXPECT_EQ(compiled.nResult, 1);
    EXPECT_EQ(compiled.bytes,
              Join({CategoryRecord("a\r", "b\r", 1, 2), CategoryRecord("c", "d", 3, 4)}));
    compiled = Compile("a=b,1,2\nlast=one,3,4");
    EXPECT_EQ(compiled.nResult, 1);
    EXPECT_EQ(compiled.bytes,
              Join({CategoryRecord("a", "b", 1, 2), CategoryRecord("last", "one", 3, 4)}));
}

TEST_F(CategoryCompilerTest, NamesAndTextsUpTo127Characters) {
    const std::string n127(127, 'n');
    const std::string t127(127, 't');
    SCompiled compiled = Compile(n127 + "=" + "x,1,2\n" + "y=" + t127 + ",3,4\n");
    EXPECT_EQ(compiled.nResult, 1);
    EXPECT_EQ(compiled.bytes,
              Join({CategoryRecord(n127, "x", 1, 2), CategoryRecord("y", t127, 3, 4)}));

    // 128 characters are refused, nothing is cut silently.
    compiled = Compile("a=b,1,2\n" + std::string(128, 'n') + "=x,1,2\n");
    EXPECT_EQ(compiled.nResult, 0);
    EXPECT_FALSE(compiled.bWritten);
    compiled = Compile("a=b,1,2\ny=" + std::string(128, 't') + ",3,4\n");
    EXPECT_EQ(compiled.nResult, 0);
    EXPECT_FALSE(compiled.bWritten);
}

TEST_F(CategoryCompilerTest, LongLinesAreReadInPieces) {
    // 254 characters fill one read exactly; the line feed then comes as a
    // blank line of its own.
    const std::string strLine = std::string(100, 'n') + "=" + std::string(120, 't') + ",1,2";
    const std::string strFull = strLine + std::string(254 - strLine.size(), ' ');
    SCompiled compiled = Compile(strFull + "\nz=z,3,4\n");
    EXPECT_EQ(compiled.nResult, 1);
    EXPECT_EQ(compiled.bytes,
              Join({CategoryRecord(std::string(100, 'n'), std::string(120, 't'), 1, 2),
                    CategoryRecord("z", "z", 3, 4)}));

    // One more character makes a second piece with no "=".
    compiled = Compile(strFull + " \nz=z,3,4\n");
    EXPECT_EQ(compiled.nResult, 0);
    EXPECT_FALSE(compiled.bWritten);
}

TEST_F(CategoryCompilerTest, ReasonsNameTheFileLineAndProblem) {
    EXPECT_NE(Reason("a=b,1,2\n\nbroken\n").find("list.txt': line 3: no \"=\""), std::string::npos);
    EXPECT_NE(Reason("a=b\n").find("line 1: no \",\" after the \"=\""), std::string::npos);
    EXPECT_NE(Reason("a=b,1\n").find("line 1: no second \",\""), std::string::npos);
    EXPECT_NE(Reason(std::string(130, 'n') + "=b,1,2\n").find("the name has 130 characters"),
              std::string::npos);
    EXPECT_NE(Reason("a=b,1,2" + std::string(300, ' ') + "\n").find("line 1 (from column 255)"),
              std::string::npos);
}

TEST_F(CategoryCompilerTest, MissingInputAndUnwritableDestination) {
    SCompiled compiled = Run(m_dir.File("absent.txt"), m_dir.Prefix());
    EXPECT_EQ(compiled.nResult, 0);
    EXPECT_FALSE(compiled.bWritten);

    WriteText(m_dir.File("list.txt"), "a=b,1,2\n");
    EXPECT_EQ(Run(m_dir.File("list.txt"), m_dir.Prefix() + "missing/").nResult, 0);
    std::string strReason;
    EXPECT_EQ(vd::bCompileCategory(m_dir.File("list.txt"), m_dir.Prefix() + "missing/", &strReason),
              0);
    EXPECT_NE(strReason.find("cannot create '" + m_dir.Prefix() + "missing/kategorien.bin'"),
              std::string::npos)
        << strReason;

    // The list itself is never truncated as the output.
    WriteText(m_dir.File("kategorien.bin"), "a=b,1,2\n");
    EXPECT_EQ(::bCompileCategory(m_dir.File("kategorien.bin").c_str(), m_dir.Prefix().c_str()), 0);
    EXPECT_EQ(ReadBytes(m_dir.File("kategorien.bin")).size(), 8U);
}

TEST_F(CategoryCompilerTest, ReadAndWriteErrorsAreFailures) {
    std::filesystem::create_directory(m_dir.File("folder"));
    EXPECT_EQ(::bCompileCategory(m_dir.File("folder").c_str(), m_dir.Prefix().c_str()), 0);

    // The disk is full after 1000 bytes; the list needs more.
    std::string strList;
    for (int n = 0; n < 200; ++n) strList += "name" + std::to_string(n) + "=text,1,2\n";
    WriteText(m_dir.File("list.txt"), strList);
    EXPECT_EQ(RunWithFileSizeLimit(1000,
                                   [&] {
                                       return ::bCompileCategory(m_dir.File("list.txt").c_str(),
                                                                 m_dir.Prefix().c_str());
                                   }),
              0);
    EXPECT_EQ(FolderContents(m_dir.Path()), (std::vector<std::string>{"folder", "list.txt"}));
}

}  // namespace
}  // namespace vd::test
