// The vellumdesk tool run as a user runs it: its error format, options and
// help, destinations, several files per run, and a whole publication with a
// picture list and an unresolved link.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/TestSupport.h"
#include "tests/cli/ToolTestSupport.h"
#include "vellumdesk.h"

namespace vd::test {
namespace {

using ToolCliTest = CToolTest;

// Usage errors, option handling and help, one row per command line.
TEST_F(ToolCliTest, UsageErrorsOptionsAndHelp) {
    struct SCase {
        std::vector<std::string> args;
        int nExit;
        const char* pszErr;  // the whole of stderr
    };
    const SCase cases[] = {
        {{"shg", "p.db"},
         2,
         "vellumdesk: shg: expected DATABASE, SHG and KEY\nTry 'vellumdesk shg --help'.\n"},
        {{"shg", "p.db", "a.shg", "x1"},
         2,
         "vellumdesk: shg: KEY must be a whole number (32 bits), not 'x1'\n"
         "Try 'vellumdesk shg --help'.\n"},
        {{"shg", "p.db", "a.shg", "1", "b.shg"},
         2,
         "vellumdesk: shg: SHG 'b.shg' has no KEY\nTry 'vellumdesk shg --help'.\n"},
        {{"shg", "p.db", "a.shg", "1", "--list", "l.txt"},
         2,
         "vellumdesk: shg: with --list, give DATABASE only\nTry 'vellumdesk shg --help'.\n"},
        {{"shg", "--bogus", "p.db"},
         2,
         "vellumdesk: shg: unknown option '--bogus'\nTry 'vellumdesk shg --help'.\n"},
        {{"links", "p.db", "a.shg"},
         2,
         "vellumdesk: links: expected DATABASE, SHG and KEY\nTry 'vellumdesk links --help'.\n"},
        {{"bmp2gif", "-j", "0", "a.bmp", "out"},
         2,
         "vellumdesk: bmp2gif: -j takes a number of 1 to 256, not '0'\n"
         "Try 'vellumdesk bmp2gif --help'.\n"},
        {{"bmp2gif", "a.bmp", "-j"},
         2,
         "vellumdesk: bmp2gif: option '-j' needs a value\nTry 'vellumdesk bmp2gif --help'.\n"},
        {{"bmp2gif", "a.bmp"},
         2,
         "vellumdesk: bmp2gif: DEST is needed\nTry 'vellumdesk bmp2gif --help'.\n"},
        {{"shg-info"},
         2,
         "vellumdesk: shg-info: FILE is needed\nTry 'vellumdesk shg-info --help'.\n"},
        {{"help", "bogus"}, 2, "vellumdesk: unknown command 'bogus'\nTry 'vellumdesk --help'.\n"},
        {{"bogus"}, 2, "vellumdesk: unknown command 'bogus'\nTry 'vellumdesk --help'.\n"},
        // "--" ends the options: what follows is a file, found missing.
        {{"dump", "--", "--contents"},
         1,
         "vellumdesk: dump: cannot open '--contents': No such file or directory\n"},
        {{"shg-info", "--", "-h"},
         1,
         "vellumdesk: shg-info: cannot open '-h': No such file or directory\n"},
        {{"contents", "absent.txt", "out/"},
         1,
         "vellumdesk: contents: cannot open 'absent.txt': No such file or directory\n"},
        // A path with control characters or quotes still gives one line.
        {{"dump", "a\nb'c\x01.txt"},
         1,
         "vellumdesk: dump: cannot open 'a'$'\\n''b'\\''c'$'\\001''.txt': No such file or "
         "directory\n"},
        {{"shg", "absent.db", "a.shg", "1", "b.shg", "2"},
         1,
         "vellumdesk: shg: cannot open 'absent.db': No such file or directory\n"},
        // getopt_long: bundles, unambiguous prefixes, "=VALUE", options after operands.
        {{"bmp2gif", "-qj0", "a.bmp", "out"},
         2,
         "vellumdesk: bmp2gif: -j takes a number of 1 to 256, not '0'\n"
         "Try 'vellumdesk bmp2gif --help'.\n"},
        {{"bmp2gif", "a.bmp", "out", "--jobs=x"},
         2,
         "vellumdesk: bmp2gif: -j takes a number of 1 to 256, not 'x'\n"
         "Try 'vellumdesk bmp2gif --help'.\n"},
        {{"bmp2gif", "--jobs"},
         2,
         "vellumdesk: bmp2gif: option '--jobs' needs a value\nTry 'vellumdesk bmp2gif --help'.\n"},
        {{"bmp2gif", "-qx", "a.bmp", "out"},
         2,
         "vellumdesk: bmp2gif: unknown option '-x'\nTry 'vellumdesk bmp2gif --help'.\n"},
        {{"dump", "--c", "f"},
         2,
         "vellumdesk: dump: option '--c' is ambiguous\nTry 'vellumdesk dump --help'.\n"},
        {{"shg", "--str=1", "p.db"},
         2,
         "vellumdesk: shg: option '--str' takes no value\nTry 'vellumdesk shg --help'.\n"},
        {{"shg", "p.db", "--str", "a.shg", "x"},
         2,
         "vellumdesk: shg: KEY must be a whole number (32 bits), not 'x'\n"
         "Try 'vellumdesk shg --help'.\n"},
        {{"dump", "--cont", "absent"},
         1,
         "vellumdesk: dump: cannot open 'absent': No such file or directory\n"},
        {{"db", "init", "n.db", "absent.sql"},
         1,
         "vellumdesk: db init: cannot read 'absent.sql': No such file or directory\n"},
        // Database texts: the path said once, lower case, no final period.
        {{"shg", "notes.txt", "a.shg", "1"},
         1,
         "vellumdesk: shg: cannot open 'notes.txt': the file is not a project database (neither "
         "an SQLite nor a Jet database file)\n"},
        {{"db", "init", "m.db", "bad.sql"},
         1,
         "vellumdesk: db init: cannot run 'bad.sql': near \";\": syntax error\n"},
    };
    WriteText(m_dir.File("notes.txt"), "not a database");
    WriteText(m_dir.File("bad.sql"), "CREATE TABLE x(;");
    for (const SCase& c : cases) {
        const SRun run = Tool(c.args);
        EXPECT_EQ(run.nExit, c.nExit) << c.args[0] << " " << c.args.back();
        EXPECT_EQ(run.strErr, c.pszErr);
        EXPECT_EQ(run.strOut, "");
    }

    // help COMMAND, COMMAND --help and COMMAND -h say the same.
    for (const char* pszCommand : {"shg", "links", "bmp2gif", "shg-info", "db", "dump"}) {
        const SRun help = Tool({"help", pszCommand});
        EXPECT_EQ(help.nExit, 0);
        EXPECT_EQ(help.strOut.rfind(std::string("Usage: vellumdesk ") + pszCommand + " ", 0), 0U);
        EXPECT_EQ(Tool({pszCommand, "--help"}).strOut, help.strOut);
        EXPECT_EQ(Tool({pszCommand, "x", "-h"}).strOut, help.strOut);
        EXPECT_EQ(Tool({pszCommand, "x", "--he"}).strOut, help.strOut);
    }
    EXPECT_EQ(Tool({"bmp2gif", "-qh"}).strOut, Tool({"help", "bmp2gif"}).strOut);
    const SRun help = Tool({"help"});
    EXPECT_EQ(help.nExit, 0);
    EXPECT_EQ(help.strOut, Tool({"--help"}).strOut);
    for (const char* pszCommand : {"  shg ", "  links ", "  bmp2gif ", "  shg-info "}) {
        EXPECT_NE(help.strOut.find(pszCommand), std::string::npos) << pszCommand;
    }
    // The GNU form: name, package and version; copyright; licence.
    const SRun version = Tool({"--version"});
    EXPECT_EQ(version.nExit, 0);
    EXPECT_EQ(version.strOut,
              "vellumdesk (Vellumdesk tools library) " + std::string(VELLUMDESK_VERSION_STRING) +
                  "\nCopyright (C) 2026 the Vellumdesk tools library authors.\n"
                  "License: MIT <https://opensource.org/license/mit>.\n"
                  "This is free software: you are free to change and redistribute it.\n"
                  "There is NO WARRANTY, to the extent permitted by law.\n");
}

// A destination naming an existing folder means that folder; anything else
// is a prefix, as the library joins it.
TEST_F(ToolCliTest, DestinationsAndSeveralBitmapsAtATime) {
    const std::string strOut = m_dir.Prefix() + "out";
    fs::create_directory(strOut);
    std::vector<std::string> args = {"bmp2gif", "-j", "3"};
    for (const char* pszName : {"a.bmp", "b.BMP", "c.dib", "d.bmp", "e.bmp"}) {
        fs::copy_file(kSample + "logo.bmp", m_dir.File(pszName));
        args.emplace_back(pszName);
    }
    WriteText(m_dir.File("bad.bmp"), "not a bitmap");
    fs::create_directory(m_dir.File("again"));
    fs::copy_file(kSample + "logo.bmp", m_dir.File("again/a.bmp"));
    args.insert(args.end(), {"bad.bmp", "again/a.bmp", strOut});

    SRun run = Tool(args);
    EXPECT_EQ(run.nExit, 1);
    std::vector<std::string> written;
    std::istringstream lines(run.strOut);
    for (std::string line; std::getline(lines, line);) written.push_back(line);
    std::sort(written.begin(), written.end());
    EXPECT_EQ(written,
              (std::vector<std::string>{strOut + "/a.gif", strOut + "/b.gif", strOut + "/c.gif",
                                        strOut + "/d.gif", strOut + "/e.gif"}));
    for (const std::string& strGif : written) {
        EXPECT_EQ(ReadBytes(strGif), ReadBytes(strOut + "/a.gif")) << strGif;
    }
    EXPECT_EQ(Lines(run.strErr), 2U) << run.strErr;
    EXPECT_NE(run.strErr.find("vellumdesk: bmp2gif: cannot convert 'bad.bmp': not a bitmap file\n"),
              std::string::npos)
        << run.strErr;
    EXPECT_NE(run.strErr.find("vellumdesk: bmp2gif: cannot convert 'again/a.bmp': '" + strOut +
                              "/a.gif' is written from 'a.bmp'\n"),
              std::string::npos)
        << run.strErr;
    EXPECT_FALSE(fs::exists(m_dir.File("outa.gif")));

    // -q; a prefix that is no folder stays a prefix.
    run = Tool({"bmp2gif", "-q", "a.bmp", strOut + "/pre-"});
    EXPECT_EQ(run.nExit, 0) << run.strErr;
    EXPECT_EQ(run.strOut + run.strErr, "");
    EXPECT_TRUE(fs::exists(strOut + "/pre-a.gif"));

    for (const char* pszCommand : {"contents", "categories"}) {
        const std::string strInput =
            kSample +
            (pszCommand[0] == 'c' && pszCommand[1] == 'o' ? "contents.txt" : "categories.txt");
        run = Tool({pszCommand, strInput, strOut});
        EXPECT_EQ(run.nExit, 0) << run.strErr;
        const std::string strFile =
            strOut + (pszCommand[1] == 'o' ? "/inhalt.bin" : "/kategorien.bin");
        EXPECT_EQ(run.strOut, strFile + "\n");
        EXPECT_TRUE(fs::exists(strFile));
    }
}

// A publication of many pictures in one call, with a list file, a picture
// that fails and a hotspot whose heading is missing.
TEST_F(ToolCliTest, PublishesAListAndReportsTheUnresolvedLinkOnce) {
    const std::string strDb =
        SampleDatabase("project.db", {"DELETE FROM HeadLines WHERE Idx = 11 AND Name = 'Ledger';"});
    const std::string strPub = m_dir.Prefix() + "pub";
    // A folder with a blank in its name, and a relative path.
    fs::create_directory(m_dir.File("with blank"));
    fs::copy_file(kSample + "setup.shg", m_dir.File("with blank/setup.shg"));
    fs::copy_file(kSample + "reconcile.shg", m_dir.File("reconcile.shg"));
    WriteText(m_dir.File("pictures.txt"),
              "# key and picture\n"
              "1\t" +
                  kSample +
                  "mainwindow.shg\n"
                  "\n"
                  "  2   reconcile.shg  \r\n"
                  "4 absent.shg\n"
                  "3 " +
                  m_dir.File("with blank/setup.shg") + "\n");
    // The DestinationPath lacks its separator: db check warns.
    const std::string strChecked = SampleDatabase(
        "checked.db", {"UPDATE SourcesStamm SET DestinationPath = '" + m_dir.Prefix() + "pub';"});
    SRun run = Tool({"db", "check", strChecked});
    EXPECT_EQ(run.nExit, 0) << run.strErr;
    EXPECT_NE(run.strOut.find("warning: table SourcesStamm, record 1: DestinationPath '" + strPub +
                              "' does not end in a separator"),
              std::string::npos)
        << run.strOut;
    EXPECT_NE(run.strOut.find("with 1 warning."), std::string::npos);

    run = Tool({"shg", strDb, "--list", "pictures.txt"});
    EXPECT_EQ(run.nExit, 1);
    EXPECT_EQ(run.strOut, strPub + "/images/mainwindow.gif\t" + strPub + "/maps/mainwindow.map\n" +
                              strPub + "/images/reconcile.gif\t" + strPub +
                              "/maps/reconcile.map\n" + strPub + "/images/setup.gif\t" + strPub +
                              "/maps/setup.map\n");
    const std::string strWarning = "vellumdesk: shg: warning: " + kSample +
                                   "mainwindow.shg: hotspot 7 \"!Ledger\": no heading \"Ledger\" "
                                   "in group 11 (linked to 00000.html)\n";
    EXPECT_EQ(run.strErr, strWarning +
                              "vellumdesk: shg: cannot open 'absent.shg': No such file or "
                              "directory\n"
                              "vellumdesk: shg: 1 unresolved links\n");
    const std::string strMap = Slurp(strPub + "/maps/mainwindow.map");
    EXPECT_EQ(std::count(strMap.begin(), strMap.end(), '\n'), 11) << strMap;
    EXPECT_NE(strMap.find("HREF=00000.html>\r\n"), std::string::npos);

    // Without the failing picture the run succeeds, and --strict fails it;
    // -q keeps stdout empty, the warning stays.
    WriteText(m_dir.File("good.txt"), "1 " + kSample + "mainwindow.shg\n");
    run = Tool({"shg", "-q", strDb, "--list", "good.txt"});
    EXPECT_EQ(run.nExit, 0) << run.strErr;
    EXPECT_EQ(run.strOut, "");
    EXPECT_EQ(run.strErr, strWarning + "vellumdesk: shg: 1 unresolved links\n");
    run = Tool({"shg", "--strict", strDb, kSample + "mainwindow.shg", "1"});
    EXPECT_EQ(run.nExit, 1);
    EXPECT_EQ(run.strErr, strWarning + "vellumdesk: shg: 1 unresolved links\n");
    run = Tool({"shg", "--strict", strDb, kSample + "setup.shg", "3"});
    EXPECT_EQ(run.nExit, 0) << run.strErr;

    // links writes nothing and marks the link.
    fs::remove_all(strPub);
    run = Tool({"links", strDb, kSample + "mainwindow.shg", "1"});
    EXPECT_EQ(run.nExit, 0) << run.strErr;
    EXPECT_FALSE(fs::exists(strPub + "/images/mainwindow.gif"));
    EXPECT_EQ(Lines(run.strOut), 9U) << run.strOut;
    EXPECT_NE(run.strOut.find("7 popup \"!Ledger\" \"00000.html\" UNRESOLVED\n"), std::string::npos)
        << run.strOut;
    EXPECT_NE(run.strOut.find("6 popup \"!Account\" \"p00101.html\"\n"), std::string::npos);
    EXPECT_EQ(Tool({"links", "--strict", strDb, kSample + "mainwindow.shg", "1"}).nExit, 1);

    // A list line without a path stops the run before any picture.
    WriteText(m_dir.File("broken.txt"), "1 " + kSample + "setup.shg\n7\n");
    run = Tool({"shg", strDb, "--list", "broken.txt"});
    EXPECT_EQ(run.nExit, 1);
    EXPECT_EQ(run.strErr,
              "vellumdesk: shg: cannot read 'broken.txt': line 2: the SHG file is missing after "
              "the key\n");
    EXPECT_FALSE(fs::exists(strPub + "/images/setup.gif"));

    // A zero byte in a line, or a key that is not all digits, is refused
    // before any picture, and the SHG named before the zero byte stays.
    const std::string strVictim = m_dir.File("victim.shg");
    fs::copy_file(kSample + "setup.shg", strVictim);
    const auto before = ReadBytes(strVictim);
    const std::string strNul(1, '\0');
    std::vector<std::string> lists(3);
    lists[0].append("3 ").append(strVictim).append(strNul).append("x.shg\n");
    lists[1].append("3").append(strNul).append(" ").append(strVictim).append("\n");
    lists[2].append("+3 ").append(strVictim).append("\n");
    for (const std::string& strList : lists) {
        WriteText(m_dir.File("nul.txt"), strList);
        run = Tool({"shg", strDb, "--list", "nul.txt"});
        EXPECT_EQ(run.nExit, 1) << run.strErr;
        EXPECT_EQ(run.strErr.rfind("vellumdesk: shg: cannot read 'nul.txt': line 1: ", 0), 0U)
            << run.strErr;
        EXPECT_EQ(ReadBytes(strVictim), before);
    }
}

// Text lost on stdout fails the run with the system's reason, whatever
// printed it; "-" reads a text input from stdin.
TEST_F(ToolCliTest, WriteErrorsOnStdoutAndStandardInput) {
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    const std::string strOut = m_dir.Prefix() + "out/";
    fs::create_directory(strOut);
    fs::copy_file(kSample + "logo.bmp", m_dir.File("logo.bmp"));
    ASSERT_EQ(Tool({"categories", kSample + "categories.txt", strOut}).nExit, 0);
    const std::vector<std::vector<std::string>> lost = {
        {"--help"},
        {"--version"},
        {"dump", "-h"},
        {"dump", strOut + "kategorien.bin"},
        {"bmp2gif", "logo.bmp", strOut},
        {"contents", kSample + "contents.txt", strOut},
    };
    for (const std::vector<std::string>& args : lost) {
        const SRun run = Tool(args, "/dev/full");
        EXPECT_EQ(run.nExit, 1) << args[0];
        EXPECT_EQ(run.strErr, "vellumdesk: write error: No space left on device\n") << args[0];
    }
    // Nothing to print: no error.
    EXPECT_EQ(Tool({"bmp2gif", "-q", "logo.bmp", strOut}, "/dev/full").nExit, 0);

    struct SCase {
        std::vector<std::string> args;
        std::string strStdin;
        std::string strFile;  // written from stdin
    };
    const std::string strDb = SampleDatabase("project.db", {});
    WriteText(m_dir.File("list.txt"), "1 " + kSample + "mainwindow.shg\n");
    const SCase cases[] = {
        {{"contents", "-", strOut}, kSample + "contents.txt", strOut + "inhalt.bin"},
        {{"categories", "-q", "-", strOut}, kSample + "categories.txt", strOut + "kategorien.bin"},
        {{"shg", "-q", strDb, "--list", "-"},
         m_dir.File("list.txt"),
         m_dir.Prefix() + "pub/images/mainwindow.gif"},
    };
    for (const SCase& c : cases) {
        fs::remove(c.strFile);
        const SRun run = Tool(c.args, "", c.strStdin);
        EXPECT_EQ(run.nExit, 0) << run.strErr;
        EXPECT_TRUE(fs::exists(c.strFile)) << c.strFile;
    }
    EXPECT_EQ(ReadBytes(strOut + "inhalt.bin"),
              ReadBytes((Tool({"contents", kSample + "contents.txt", m_dir.Prefix() + "again-"}),
                         m_dir.Prefix() + "again-inhalt.bin")));
    // An error in stdin's text names it "-".
    WriteText(m_dir.File("bad.txt"), "  too deep\n");
    EXPECT_EQ(Tool({"contents", "-", strOut}, "", m_dir.File("bad.txt")).strErr,
              "vellumdesk: contents: cannot compile '-': line 1: level 3 on the first line (it "
              "must have level 1, no leading spaces)\n");
}

}  // namespace
}  // namespace vd::test
