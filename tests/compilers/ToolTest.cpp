// The tool's contents, categories and dump commands, run as a user would.
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "tests/compilers/NavigationTestSupport.h"

namespace vd::test {
namespace {

struct SRun {
    int nExit = -1;
    std::string strOut;
    std::string strErr;
};

class ToolTest : public ::testing::Test {
  protected:
    // Runs "vellumdesk ARGS" (ARGS already quoted for the shell).
    SRun Tool(const std::string& strArgs) {
        const std::string strOut = m_dir.File("stdout.txt");
        const std::string strErr = m_dir.File("stderr.txt");
        const std::string strCommand = "'" + std::string(VD_BINARY_DIR) + "/vellumdesk' " +
                                       strArgs + " >'" + strOut + "' 2>'" + strErr + "'";
        const int nStatus = std::system(strCommand.c_str());
        SRun run;
        run.nExit = WIFEXITED(nStatus) ? WEXITSTATUS(nStatus) : -1;
        run.strOut = Slurp(strOut);
        run.strErr = Slurp(strErr);
        return run;
    }

    static std::string Slurp(const std::string& strPath) {
        std::ifstream in(strPath, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    std::string Q(const std::string& strText) const { return "'" + strText + "'"; }

    void SetUp() override {
        if (!std::filesystem::exists(std::string(VD_BINARY_DIR) + "/vellumdesk")) {
            GTEST_SKIP() << "the vellumdesk tool was not built";
        }
    }

    CTempDir m_dir;
};

TEST_F(ToolTest, CompilesAndDumpsTheSample) {
    const std::string strSample = std::string(VD_SOURCE_DIR) + "/examples/sample/";
    SRun run = Tool("contents " + Q(strSample + "contents.txt") + " " + Q(m_dir.Prefix()));
    ASSERT_EQ(run.nExit, 0) << run.strErr;
    run = Tool("categories " + Q(strSample + "categories.txt") + " " + Q(m_dir.Prefix()));
    ASSERT_EQ(run.nExit, 0) << run.strErr;

    run = Tool("dump " + Q(m_dir.File("inhalt.bin")));
    EXPECT_EQ(run.nExit, 0) << run.strErr;
    EXPECT_EQ(run.strOut.substr(0, run.strOut.find('\n') + 1),
              "level=1 number=4 kind=1 text=\"Welcome to Ledgerline\"\n");
    EXPECT_NE(run.strOut.find("level=2 number=12 kind=2 text=\"What's new in this release\"\n"),
              std::string::npos);
    EXPECT_EQ(std::count(run.strOut.begin(), run.strOut.end(), '\n'), 23);

    run = Tool("dump " + Q(m_dir.File("kategorien.bin")));
    EXPECT_EQ(run.nExit, 0) << run.strErr;
    EXPECT_EQ(run.strOut.substr(0, run.strOut.find('\n') + 1),
              "name=\"start\" text=\"Getting started\" first=1 second=0\n");
    EXPECT_EQ(std::count(run.strOut.begin(), run.strOut.end(), '\n'), 6);
    EXPECT_TRUE(run.strErr.empty());
}

TEST_F(ToolTest, FailuresGiveOneLineReasonAndExitOne) {
    SRun run = Tool("contents " + Q(m_dir.File("absent.txt")) + " " + Q(m_dir.Prefix()));
    EXPECT_EQ(run.nExit, 1);
    EXPECT_EQ(run.strErr, "vellumdesk: contents: cannot open '" + m_dir.File("absent.txt") +
                              "': No such file or directory\n");
    EXPECT_EQ(std::count(run.strErr.begin(), run.strErr.end(), '\n'), 1);

    WriteText(m_dir.File("outline.txt"), "a\n  b\n");
    run = Tool("contents " + Q(m_dir.File("outline.txt")) + " " + Q(m_dir.Prefix()));
    EXPECT_EQ(run.nExit, 1);
    EXPECT_EQ(run.strErr, "vellumdesk: contents: cannot compile '" + m_dir.File("outline.txt") +
                              "': line 2: level 3 follows level 1 (a line may go only one level "
                              "deeper)\n");

    WriteText(m_dir.File("list.txt"), "a=b,1,2\nbroken\n");
    run = Tool("categories " + Q(m_dir.File("list.txt")) + " " + Q(m_dir.Prefix() + "none/"));
    EXPECT_EQ(run.nExit, 1);
    EXPECT_NE(run.strErr.find("cannot create '" + m_dir.Prefix() + "none/kategorien.bin': "),
              std::string::npos);
    run = Tool("categories " + Q(m_dir.File("list.txt")) + " " + Q(m_dir.Prefix()));
    EXPECT_EQ(run.nExit, 1);
    EXPECT_EQ(run.strErr.rfind("vellumdesk: categories: cannot compile '" + m_dir.File("list.txt") +
                                   "': line 2: no \"=\"",
                               0),
              0U)
        << run.strErr;

    run = Tool("dump " + Q(m_dir.File("absent.bin")));
    EXPECT_EQ(run.nExit, 1);
    EXPECT_EQ(run.strErr, "vellumdesk: dump: cannot open '" + m_dir.File("absent.bin") +
                              "': No such file or directory\n");
}

TEST_F(ToolTest, UsageErrorsExitTwoAndHelpExitsZero) {
    for (const char* pszArgs : {"contents", "contents one", "contents a b c", "categories x",
                                "dump", "dump a b", "dump --bogus x"}) {
        const SRun run = Tool(pszArgs);
        EXPECT_EQ(run.nExit, 2) << pszArgs;
        const std::string strCommand(pszArgs, std::strcspn(pszArgs, " "));
        EXPECT_EQ(run.strErr.rfind("vellumdesk: " + strCommand + ": ", 0), 0U) << pszArgs;
        EXPECT_NE(run.strErr.find("\nTry 'vellumdesk " + strCommand + " --help'.\n"),
                  std::string::npos)
            << run.strErr;
    }
    for (const char* pszCommand : {"contents", "categories", "dump"}) {
        const SRun run = Tool(std::string(pszCommand) + " --help");
        EXPECT_EQ(run.nExit, 0) << pszCommand;
        EXPECT_EQ(run.strOut.rfind(std::string("Usage: vellumdesk ") + pszCommand, 0), 0U);
    }
}

TEST_F(ToolTest, DumpTellsTheKindByNameContentOrOption) {
    // A contents file under another name is recognised by its records.
    WriteBytes(m_dir.File("toc.dat"), Join({ContentsRecord(1, 4, 1, "Say \"hi\"\\\t"),
                                            ContentsRecord(2, 12, 2, "\xC3\xA4\xFF")}));
    SRun run = Tool("dump " + Q(m_dir.File("toc.dat")));
    EXPECT_EQ(run.nExit, 0) << run.strErr;
    EXPECT_EQ(run.strOut,
              "level=1 number=4 kind=1 text=\"Say \\\"hi\\\"\\\\\\x09\"\n"
              "level=2 number=12 kind=2 text=\"\xC3\xA4\\xFF\"\n");

    // So is a category file; and the kind can be named.
    WriteBytes(m_dir.File("cats.dat"), CategoryRecord("news", "Latest news", 2, 5));
    run = Tool("dump " + Q(m_dir.File("cats.dat")));
    EXPECT_EQ(run.nExit, 0);
    EXPECT_EQ(run.strOut, "name=\"news\" text=\"Latest news\" first=2 second=5\n");
    run = Tool("dump --categories " + Q(m_dir.File("toc.dat")));
    EXPECT_EQ(run.nExit, 1);  // read as categories, the bytes run out

    // Neither kind: a failure with a hint.
    WriteBytes(m_dir.File("junk.dat"), {0xFF});
    run = Tool("dump " + Q(m_dir.File("junk.dat")));
    EXPECT_EQ(run.nExit, 1);
    EXPECT_NE(run.strErr.find("--contents or --categories"), std::string::npos);

    // A file cut short: the whole records are printed, then the failure.
    Bytes cut = Join({ContentsRecord(1, 4, 1, "whole"), ContentsRecord(1, 4, 1, "cut")});
    cut.pop_back();
    WriteBytes(m_dir.File("inhalt.bin"), cut);
    run = Tool("dump " + Q(m_dir.File("inhalt.bin")));
    EXPECT_EQ(run.nExit, 1);
    EXPECT_EQ(run.strOut, "level=1 number=4 kind=1 text=\"whole\"\n");
    EXPECT_NE(run.strErr.find("record 2 at offset 10 is cut short"), std::string::npos)
        << run.strErr;
}

}  // namespace
}  // namespace vd::test
