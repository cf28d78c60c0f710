// Paths arrive in the ANSI code page; SQLite takes UTF-8 file names. The
// conversion must name the same file the ANSI functions reach.
#include <sqlite3.h>
#include <windows.h>

#include "common/AnsiToUtf8.h"
#include "common/File.h"
#include "tests/windows/WinCheck.h"
#include "tests/windows/WindowsTestSupport.h"

namespace vd {
namespace {

VD_TEST(AnsiToUtf8, AsciiAndEmptyStayAsTheyAre) {
    VD_CHECK_EQ(AnsiToUtf8(""), "");
    VD_CHECK_EQ(AnsiToUtf8("C:\\Publish\\project.db"), "C:\\Publish\\project.db");
}

VD_TEST(AnsiToUtf8, AccentedLettersBecomeUtf8) {
    const std::string strAnsi = wintest::WideToAnsi(L"\u00DCbung-\u00E9t\u00E9");
    if (strAnsi.empty()) VD_SKIP("the ANSI code page lacks these letters");
    VD_CHECK_EQ(AnsiToUtf8(strAnsi),
                "\xC3\x9C"
                "bung-\xC3\xA9t\xC3\xA9");
}

VD_TEST(AnsiToUtf8, SqliteOpensTheFileThatTheAnsiPathNames) {
    wintest::CTempFolder folder;
    const std::string strName = wintest::WideToAnsi(L"Projekt-\u00DCbersicht.db");
    if (strName.empty() || ::GetACP() == CP_UTF8)
        VD_SKIP("the ANSI code page is no 8-bit one with \u00DC");
    const std::string strAnsiPath = folder.File(strName);

    sqlite3* pDb = nullptr;
    VD_REQUIRE(sqlite3_open_v2(AnsiToUtf8(strAnsiPath).c_str(), &pDb,
                               SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) == SQLITE_OK);
    VD_CHECK_EQ(sqlite3_exec(pDb, "CREATE TABLE t(x)", nullptr, nullptr, nullptr), SQLITE_OK);
    VD_CHECK_EQ(sqlite3_close(pDb), SQLITE_OK);

    // The file object (which takes UTF-8, as every narrow string inside the
    // library) finds the very file SQLite wrote.
    CFile file;
    VD_REQUIRE(file.Open(AnsiToUtf8(strAnsiPath), CFile::modeReadShareDenyWrite));
    char head[16] = {};
    VD_REQUIRE(file.Read(head, sizeof head) == sizeof head);
    VD_CHECK_EQ(std::string(head, 15), "SQLite format 3");
    file.Close();

    // Without the conversion SQLite would look for another name and fail.
    pDb = nullptr;
    VD_CHECK(sqlite3_open_v2(strAnsiPath.c_str(), &pDb, SQLITE_OPEN_READONLY, nullptr) !=
             SQLITE_OK);
    sqlite3_close(pDb);
}

}  // namespace
}  // namespace vd
