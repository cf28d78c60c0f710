// The tool against hostile input and interruptions: endless inputs, outputs
// that would replace their own input, names with control characters, a
// signal in the middle of a conversion and two writers of one pair.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "tests/cli/ToolTestSupport.h"
#include "tests/gif/GifTestSupport.h"

namespace vd::test {
namespace {

using ToolSafetyTest = CToolTest;

const std::string kTool = std::string(VD_BINARY_DIR) + "/vellumdesk";

// Starts the tool in strDir without waiting; its output goes nowhere.
pid_t Start(const std::string& strDir, const std::vector<std::string>& args) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::chdir(strDir.c_str()) != 0) ::_exit(127);
        std::vector<char*> argv = {const_cast<char*>(kTool.c_str())};
        for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        std::freopen("/dev/null", "w", stdout);
        std::freopen("/dev/null", "w", stderr);
        ::execv(kTool.c_str(), argv.data());
        ::_exit(127);
    }
    return pid;
}

int Wait(pid_t pid) {
    int nStatus = 0;
    ::waitpid(pid, &nStatus, 0);
    return WIFEXITED(nStatus) ? WEXITSTATUS(nStatus) : -1;
}

TEST_F(ToolSafetyTest, EndlessAndOversizedInputsEndWithExit1) {
    const std::string strDb = SampleDatabase("project.db", {});
    const std::string strOut = m_dir.Prefix() + "out/";
    fs::create_directory(strOut);
    // 256 MiB and one byte of blank lines: no line is too long.
    {
        std::ofstream blank(m_dir.File("blank.txt"), std::ios::binary);
        const std::string strChunk(1 << 20, '\n');
        for (int i = 0; i < 256; ++i) blank << strChunk;
        blank << '\n';
    }
    const char* const kLine = "line 1 is longer than 1 MiB, the limit for one line";
    const char* const kFile = "it is longer than 256 MiB, the limit for a text input";
    const struct {
        std::vector<std::string> args;
        const char* pszInput;
        const char* pszLimit;
    } cases[] = {
        {{"contents", "/dev/zero", strOut}, "/dev/zero", kLine},
        {{"shg", strDb, "--list", "/dev/zero"}, "/dev/zero", kLine},
        {{"contents", "blank.txt", strOut}, "blank.txt", kFile},
        {{"shg", strDb, "--list", "blank.txt"}, "blank.txt", kFile},
    };
    for (const auto& c : cases) {
        const SRun run = Tool(c.args);
        EXPECT_EQ(run.nExit, 1) << c.args[0];
        std::string strErr = "vellumdesk: ";
        strErr.append(c.args[0]).append(": cannot read '").append(c.pszInput).append("': ");
        EXPECT_EQ(run.strErr, strErr.append(c.pszLimit).append("\n"));
        EXPECT_TRUE(FolderContents(strOut).empty()) << c.args[0];
    }
}

// An output that would be an input of the same call (here through a link
// with the extension the library expects) is refused and the input stays.
TEST_F(ToolSafetyTest, NoOutputReplacesItsInput) {
    const std::string strDb = SampleDatabase("project.db", {});
    const std::string strImages = m_dir.Prefix() + "pub/images/";
    fs::create_directories(strImages);
    fs::copy_file(kSample + "logo.bmp", m_dir.File("x.gif"));
    fs::create_symlink("x.gif", m_dir.File("x.bmp"));
    fs::copy_file(kSample + "setup.shg", strImages + "setup.gif");
    fs::create_symlink(strImages + "setup.gif", m_dir.File("setup.shg"));
    const struct {
        std::vector<std::string> args;
        std::string strVictim;
        std::string strErr;
    } cases[] = {
        {{"bmp2gif", "x.bmp", "./"},
         m_dir.File("x.gif"),
         "bmp2gif: cannot replace './x.gif': it is the bitmap itself (left untouched)"},
        {{"shg", strDb, "setup.shg", "3"},
         strImages + "setup.gif",
         "shg: cannot replace '" + strImages +
             "setup.gif': it is the SHG file itself (left untouched)"},
    };
    for (const auto& c : cases) {
        const auto before = ReadBytes(c.strVictim);
        const SRun run = Tool(c.args);
        EXPECT_EQ(run.nExit, 1);
        EXPECT_EQ(run.strErr, "vellumdesk: " + c.strErr + "\n");
        EXPECT_EQ(ReadBytes(c.strVictim), before);
    }
}

// A name with a line break or a tab stays on one line in the records on
// stdout, quoted as a shell would need it (messages: the usage table).
TEST_F(ToolSafetyTest, NamesWithControlCharactersStayOnOneLine) {
    const std::string strDb = SampleDatabase("project.db", {});
    fs::copy_file(kSample + "logo.bmp", m_dir.File("new\nline.bmp"));
    fs::copy_file(kSample + "setup.shg", m_dir.File("tab\tbed.shg"));
    SRun run = Tool({"bmp2gif", "new\nline.bmp", "./"});
    EXPECT_EQ(run.nExit, 0) << run.strErr;
    EXPECT_EQ(run.strOut, "'./new'$'\\n''line.gif'\n");
    run = Tool({"shg", strDb, "tab\tbed.shg", "3"});
    EXPECT_EQ(run.nExit, 0) << run.strErr;
    std::string strRecord = "'";
    strRecord.append(m_dir.Prefix()).append("pub/images/tab'$'\\t''bed.gif'\t'");
    strRecord.append(m_dir.Prefix()).append("pub/maps/tab'$'\\t''bed.map'\n");
    EXPECT_EQ(run.strOut, strRecord);
}

// SIGINT, SIGTERM or SIGHUP in the middle of a conversion: the temporary
// goes, no GIF appears, and the tool exits with 128 + the signal.
TEST_F(ToolSafetyTest, ASignalLeavesNoTemporary) {
    // Random pixels at 8 bits: slow enough to encode that the signal comes
    // in the middle of the conversion.
    WriteBytes(m_dir.File("noise.bmp"),
               MakeBitmapFile(MakePackedDib(RandomPicture(8, 8192, 8192))));
    const std::string strOut = m_dir.Prefix() + "out/";
    fs::create_directory(strOut);
    for (const int nSignal : {SIGINT, SIGTERM, SIGHUP}) {
        const pid_t pid = Start(m_dir.Path().string(), {"bmp2gif", "noise.bmp", strOut});
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (FolderContents(strOut).empty() && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        const std::vector<std::string> during = FolderContents(strOut);
        ::kill(pid, nSignal);
        EXPECT_EQ(Wait(pid), 128 + nSignal);
        ASSERT_EQ(during.size(), 1U);
        if (during[0] == "noise.gif") GTEST_SKIP() << "the conversion ended before the signal";
        EXPECT_EQ(during[0].rfind("~vd", 0), 0U) << during[0];
        EXPECT_TRUE(FolderContents(strOut).empty()) << nSignal;
    }
}

// Two processes publishing the same pair at once, round after round: the
// GIF and the map in place always come from the same picture.
TEST_F(ToolSafetyTest, TwoWritersNeverMixAPair) {
    const std::string strDb = SampleDatabase("project.db", {});
    const std::string strGif = m_dir.Prefix() + "pub/images/pic.gif";
    const std::string strMap = m_dir.Prefix() + "pub/maps/pic.map";
    std::vector<std::vector<std::uint8_t>> pairs;  // GIF and map of each writer
    for (const char* pszPicture : {"setup.shg", "reconcile.shg"}) {
        const std::string strFolder = m_dir.Prefix() + pszPicture + ".d/";
        fs::create_directory(strFolder);
        fs::copy_file(kSample + pszPicture, strFolder + "pic.shg");
        std::string strList;
        for (int i = 0; i < 3; ++i) strList += "3 " + strFolder + "pic.shg\n";
        WriteText(strFolder + "list.txt", strList);
        ASSERT_EQ(Tool({"shg", "-q", strDb, "--list", strFolder + "list.txt"}).nExit, 0);
        pairs.push_back(ReadBytes(strGif));
        pairs.push_back(ReadBytes(strMap));
    }
    ASSERT_NE(pairs[0], pairs[2]);
    ASSERT_NE(pairs[1], pairs[3]);
    int nMixed = 0;
    for (int nRound = 0; nRound < 100; ++nRound) {
        const pid_t first =
            Start(m_dir.Path().string(), {"shg", "-q", strDb, "--list", "setup.shg.d/list.txt"});
        const pid_t second = Start(m_dir.Path().string(),
                                   {"shg", "-q", strDb, "--list", "reconcile.shg.d/list.txt"});
        ASSERT_EQ(Wait(first), 0);
        ASSERT_EQ(Wait(second), 0);
        const auto gif = ReadBytes(strGif);
        const auto map = ReadBytes(strMap);
        const bool bFirst = gif == pairs[0] && map == pairs[1];
        const bool bSecond = gif == pairs[2] && map == pairs[3];
        nMixed += bFirst || bSecond ? 0 : 1;
    }
    EXPECT_EQ(nMixed, 0);
    EXPECT_EQ(FolderContents(m_dir.Prefix() + "pub/images").size(), 1U);
}

}  // namespace
}  // namespace vd::test
