// The hypergraphic conversion from end to end: session, SHG reading, the
// source's records, link resolution, the GIF and the image map in the
// folders the project database assigns.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <string>

#include "common/Strings.h"
#include "frame/ModuleEntry.h"
#include "hypergraphics/ShgConversion.h"
#include "projectdb/Engine.h"
#include "tests/hypergraphics/HypergraphicsTestSupport.h"
#include "tests/projectdb/ProjectDbTestSupport.h"
#include "vellumdesk.h"

namespace vd {
namespace {

using test::CShgDescription;
using test::FilesBelow;
using test::ReadBytes;

class ShgConversion : public test::CPublicationTest {
  protected:
    int Convert(const std::string& strDb, const std::string& strShg, std::int32_t nKey = 7) {
        m_strReason.clear();
        return bConvertSHGToGIFMAP(strDb, strShg, nKey, &m_strReason);
    }
    std::string m_strReason;
};

TEST_F(ShgConversion, WritesTheExpectedGifAndMapByteForByte) {
    const std::string strDb = MakeDatabase("project.db");
    const std::string strShg = WriteShg("plan.shg", test::PlanPicture());
    ASSERT_EQ(Convert(strDb, strShg), 1) << m_strReason;
    EXPECT_EQ(g_bDatabaseOpen, 1);
    EXPECT_EQ(FilesBelow(m_out.Path()),
              (std::vector<std::string>{"images/", "images/plan.gif", "maps/", "maps/plan.map"}));
    EXPECT_EQ(ReadBytes(m_out.Path() / "images" / "plan.gif"),
              ReadBytes(test::ExpectedDataDir() / "plan.gif"));
    EXPECT_EQ(ReadBytes(m_out.Path() / "maps" / "plan.map"),
              ReadBytes(test::ExpectedDataDir() / "plan.map"));

    // Again: the outputs are replaced by the same bytes.
    ASSERT_EQ(Convert(strDb, strShg), 1) << m_strReason;
    EXPECT_EQ(ReadBytes(m_out.Path() / "maps" / "plan.map"),
              ReadBytes(test::ExpectedDataDir() / "plan.map"));
}

TEST_F(ShgConversion, TheFirstDatabaseOpenedStaysInUse) {
    const std::string strFirst = MakeDatabase("first.db");
    test::CTempDir otherOut;
    const std::string strSecond = m_work.File("second.db");
    ASSERT_TRUE(CreateProjectDatabase(strSecond, {test::PublicationRows(otherOut.Prefix())}));
    // The session opens before the SHG file is looked at.
    EXPECT_EQ(Convert(strFirst, m_work.File("missing.shg")), 0);
    EXPECT_EQ(g_bDatabaseOpen, 1);
    const std::string strShg = WriteShg("plan.SHG", test::PlanPicture());
    ASSERT_EQ(Convert(strSecond, strShg), 1) << m_strReason;
    EXPECT_TRUE(std::filesystem::exists(m_out.Path() / "images" / "plan.gif"));
    EXPECT_TRUE(FilesBelow(otherOut.Path()).empty());
    // A database path that does not even exist is ignored as well.
    EXPECT_EQ(Convert(m_work.File("none.db"), strShg), 1) << m_strReason;
}

TEST_F(ShgConversion, OnlyTheTwoSpellingsOfTheExtensionAreConverted) {
    const std::string strDb = MakeDatabase("project.db");
    const auto bytes = test::BuildShg(test::PlanPicture());
    for (const char* pszName : {"plan.Shg", "plan.sHG", "plan.shg.bak", "plan.gif"}) {
        test::WriteBytes(m_work.File(pszName), bytes);
        EXPECT_EQ(Convert(strDb, m_work.File(pszName)), 0) << pszName;
        EXPECT_NE(m_strReason.find(".SHG or .shg"), std::string::npos) << m_strReason;
    }
    EXPECT_TRUE(FilesBelow(m_out.Path()).empty());
}

TEST_F(ShgConversion, TheGifIsNamedAfterTheLastPartOfTheShgPath) {
    const std::string strDb = MakeDatabase("project.db");
    const auto bytes = test::BuildShg(test::PlanPicture());
    // Folder names with dots, and on this platform a backslash inside a name
    // separates as well.
    std::filesystem::create_directories(m_work.Path() / "pics.v2" / "a.b");
    test::WriteBytes(m_work.Path() / "pics.v2" / "a.b" / "Map1.SHG", bytes);
    ASSERT_EQ(Convert(strDb, m_work.File("pics.v2/a.b/Map1.SHG")), 1) << m_strReason;
    EXPECT_TRUE(std::filesystem::exists(m_out.Path() / "images" / "Map1.gif"));
    EXPECT_TRUE(std::filesystem::exists(m_out.Path() / "maps" / "Map1.map"));
#ifndef _WIN32
    test::WriteBytes(m_work.Path() / "old\\Back.shg", bytes);
    ASSERT_EQ(Convert(strDb, m_work.File("old\\Back.shg")), 1) << m_strReason;
    EXPECT_TRUE(std::filesystem::exists(m_out.Path() / "images" / "Back.gif"));
#endif
    // A path without any separator: the whole path names the GIF.
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(m_work.Path() / "pics.v2" / "a.b");
    const int nResult = Convert(strDb, "Map1.SHG");
    std::filesystem::current_path(previous);
    EXPECT_EQ(nResult, 1) << m_strReason;
}

TEST_F(ShgConversion, MissingRecordsFailBeforeAnythingIsWritten) {
    const std::string strDb = MakeDatabase("project.db");
    const std::string strShg = WriteShg("plan.shg", test::PlanPicture());
    EXPECT_EQ(Convert(strDb, strShg, 12345), 0);
    EXPECT_NE(m_strReason.find("Sources has no record 12345"), std::string::npos) << m_strReason;
    EXPECT_EQ(Convert(strDb, strShg, 8), 0);  // SourcesStammIdx 99 does not exist
    EXPECT_NE(m_strReason.find("SourcesStamm has no record 99"), std::string::npos) << m_strReason;
    EXPECT_TRUE(FilesBelow(m_out.Path()).empty());

    // Unreadable SHG files write nothing either.
    test::WriteText(m_work.File("short.shg"), "lp");
    EXPECT_EQ(Convert(strDb, m_work.File("short.shg")), 0);
    std::filesystem::create_directory(m_work.Path() / "folder.shg");
    EXPECT_EQ(Convert(strDb, m_work.File("folder.shg")), 0);
    EXPECT_TRUE(FilesBelow(m_out.Path()).empty());
}

TEST_F(ShgConversion, APictureWithoutHotspotsGivesAnEmptyMap) {
    const std::string strDb = MakeDatabase("project.db");
    CShgDescription desc = test::PlanPicture();
    desc.hotspots.clear();
    const std::string strShg = WriteShg("bare.shg", desc);
    ASSERT_EQ(Convert(strDb, strShg), 1) << m_strReason;
    const auto map = ReadBytes(m_out.Path() / "maps" / "bare.map");
    EXPECT_EQ(std::string(map.begin(), map.end()), "<MAP NAME=\"bare.map\">\r\n</MAP>\r\n");
    // The picture is the same as with hotspots.
    EXPECT_EQ(ReadBytes(m_out.Path() / "images" / "bare.gif"),
              ReadBytes(test::ExpectedDataDir() / "plan.gif"));
}

TEST_F(ShgConversion, OutputsThatCannotBeCreatedFailTheConversion) {
    const std::string strDb = MakeDatabase("project.db");
    const std::string strShg = WriteShg("plan.shg", test::PlanPicture());
    // The map's place is taken by a folder: the GIF is not put in place
    // either, and no temporary stays.
    std::filesystem::create_directories(m_out.Path() / "maps" / "plan.map");
    EXPECT_EQ(Convert(strDb, strShg), 0);
    EXPECT_NE(m_strReason.find("plan.map"), std::string::npos) << m_strReason;
    EXPECT_TRUE(std::filesystem::is_empty(m_out.Path() / "images"));
    // The GIF's place is taken by a folder: no map either.
    std::filesystem::create_directories(m_out.Path() / "images" / "other.gif");
    const std::string strOther = WriteShg("other.shg", test::PlanPicture());
    EXPECT_EQ(Convert(strDb, strOther), 0);
    EXPECT_NE(m_strReason.find("other.gif"), std::string::npos) << m_strReason;
    for (const char* pszFolder : {"images", "maps"}) {
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_out.Path() / pszFolder),
                                std::filesystem::directory_iterator()),
                  1);
    }
}

TEST_F(ShgConversion, FailuresLeaveEarlierOutputsAsTheyWere) {
    const std::string strDb = MakeDatabase("project.db");
    const std::string strShg = WriteShg("plan.shg", test::PlanPicture());
    const std::filesystem::path gif = m_out.Path() / "images" / "plan.gif";
    const std::filesystem::path map = m_out.Path() / "maps" / "plan.map";
    std::filesystem::create_directories(gif.parent_path());
    std::filesystem::create_directories(map.parent_path());
    test::WriteText(gif, "earlier gif");
    test::WriteText(map, "earlier map");
    const auto Unchanged = [&] {
        EXPECT_EQ(test::FolderContents(gif.parent_path()), std::vector<std::string>{"plan.gif"});
        EXPECT_EQ(test::FolderContents(map.parent_path()), std::vector<std::string>{"plan.map"});
        const auto gifBytes = ReadBytes(gif);
        const auto mapBytes = ReadBytes(map);
        EXPECT_EQ(std::string(gifBytes.begin(), gifBytes.end()), "earlier gif");
        EXPECT_EQ(std::string(mapBytes.begin(), mapBytes.end()), "earlier map");
    };

    // A full disk: the GIF cannot be written whole (in a child process,
    // which opens its own session).
    EXPECT_EQ(test::RunWithFileSizeLimit(64,
                                         [&] {
                                             return Convert(strDb, strShg) == 0 &&
                                                            m_strReason.find("cannot write") !=
                                                                std::string::npos
                                                        ? 0
                                                        : 1;
                                         }),
              0);
    Unchanged();

    // The map cannot take its name after the GIF has taken its own: the
    // earlier GIF is put back.
    std::filesystem::remove(map);
    std::filesystem::create_directories(map / "sub");
    EXPECT_EQ(Convert(strDb, strShg), 0);
    EXPECT_NE(m_strReason.find("plan.map"), std::string::npos) << m_strReason;
    std::filesystem::remove_all(map);
    test::WriteText(map, "earlier map");
    Unchanged();
}

TEST_F(ShgConversion, LinksAtTheOutputNamesAreReplacedNotFollowed) {
    const std::string strDb = MakeDatabase("project.db");
    const std::string strShg = WriteShg("plan.shg", test::PlanPicture());
    for (const char* pszName : {"images/plan.gif", "maps/plan.map"}) {
        std::filesystem::create_directories((m_out.Path() / pszName).parent_path());
        test::WriteText(m_work.File(FileNamePart(pszName)), "target");
        std::filesystem::create_symlink(m_work.File(FileNamePart(pszName)), m_out.Path() / pszName);
    }
    ASSERT_EQ(Convert(strDb, strShg), 1) << m_strReason;
    EXPECT_EQ(ReadBytes(m_out.Path() / "images" / "plan.gif"),
              ReadBytes(test::ExpectedDataDir() / "plan.gif"));
    EXPECT_EQ(ReadBytes(m_out.Path() / "maps" / "plan.map"),
              ReadBytes(test::ExpectedDataDir() / "plan.map"));
    for (const char* pszName : {"plan.gif", "plan.map"}) {
        const auto bytes = ReadBytes(m_work.File(pszName));
        EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "target");
    }
}

TEST_F(ShgConversion, MapAttributesAreEscapedAndParseAsHtml) {
    if (std::system("python3 -c 'import html.parser' >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "python3 is not available";
    }
    const std::string strHostile = "a\"b&c<d>e";
    const std::string strDb =
        MakeDatabase("project.db", "UPDATE CompileStamm SET Extension = '" + strHostile + "';");
    CShgDescription desc = test::PlanPicture();
    // A macro that tries to end its attribute and start others.
    const std::string strMacro =
        "Run(\"" + strHostile + "\") x onmouseover=alert(document.domain) `y'\tz\r\n=";
    desc.hotspots[2].strTarget = strMacro;
    const std::string strShg = WriteShg(strHostile + ".shg", desc);
    ASSERT_EQ(Convert(strDb, strShg), 1) << m_strReason;

    // Python's HTML parser reads every NAME and HREF back as it was, and
    // each AREA has exactly its three attributes.
    std::filesystem::copy_file(m_out.Path() / "maps" / (strHostile + ".map"),
                               m_work.File("map.html"));
    test::WriteText(
        m_work.File("attrs.py"),
        "import html.parser, json, sys\n"
        "class P(html.parser.HTMLParser):\n"
        "    def handle_starttag(self, tag, attrs):\n"
        "        print(tag, json.dumps([k for k, v in attrs]), json.dumps(attrs[-1][1]))\n"
        "P().feed(open(sys.argv[1], newline='').read())\n");
    const std::string strCommand =
        "python3 " + m_work.File("attrs.py") + " " + m_work.File("map.html");
    std::FILE* pPipe = ::popen(strCommand.c_str(), "r");
    ASSERT_NE(pPipe, nullptr);
    std::string strOutput;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pPipe) != nullptr) strOutput += buffer;
    ASSERT_EQ(::pclose(pPipe), 0);
    const std::string strArea = "area [\"shape\", \"coords\", \"href\"] ";
    const std::string strJsonHostile = "a\\\"b&c<d>e";
    EXPECT_EQ(strOutput, "map [\"name\"] \"" + strJsonHostile + ".map\"\n" + strArea + "\"p00201." +
                             strJsonHostile + "\"\n" + strArea + "\"index.htm\"\n" + strArea +
                             "\"Run(\\\"" + strJsonHostile +
                             "\\\") x onmouseover=alert(document.domain) `y'\\tz\\r\\n=\"\n");
}

TEST_F(ShgConversion, AMissingTableFailsAndTheNextCallOpensAgain) {
    const std::string strBroken = MakeDatabase("broken.db", "DROP TABLE CompileStamm;");
    const std::string strShg = WriteShg("plan.shg", test::PlanPicture());
    for (int nAttempt = 0; nAttempt < 2; ++nAttempt) {
        testing::internal::CaptureStderr();
        EXPECT_EQ(Convert(strBroken, strShg), 0);
        const std::string strErr = testing::internal::GetCapturedStderr();
        EXPECT_EQ(strErr.rfind("Vellumdesk: ", 0), 0u) << strErr;
        EXPECT_NE(strErr.find("CompileStamm"), std::string::npos) << strErr;
        EXPECT_EQ(strErr.find('\n'), strErr.size() - 1) << strErr;
        EXPECT_EQ(g_bDatabaseOpen, 0);
        EXPECT_FALSE(g_pDatabase || g_pHeadLines || g_pSources);
    }
    EXPECT_EQ(Convert(MakeDatabase("good.db"), strShg), 1) << m_strReason;
    EXPECT_EQ(g_bDatabaseOpen, 1);
}

TEST_F(ShgConversion, EngineErrorsAfterTheOpeningAnswerZeroAndAreShown) {
    const std::string strShg = WriteShg("plan.shg", test::PlanPicture());
    struct Case {
        const char* pszSql;
        const char* pszNamed;
    };
    const Case cases[] = {
        {"DROP INDEX Sources_IDX;", "Sources_IDX"},
        {"ALTER TABLE Sources RENAME COLUMN SourcesStammIdx TO Master;", "SourcesStammIdx"},
        {"DROP INDEX HeadLines_IDXNAME;", "HeadLines_IDXNAME"},
        {"ALTER TABLE DirectoryList DROP COLUMN FileMask;", "FileMask"},
        {"UPDATE CompileStamm SET Extension = NULL;", "Extension"},
    };
    int nCase = 0;
    for (const Case& c : cases) {
        Reset();
        const std::string strDb = m_work.File("case" + std::to_string(nCase++) + ".db");
        test::CTempDir out;
        std::string strSql = std::string(kProjectSchemaSql) + test::PublicationRows(out.Prefix());
        // NOT NULL is dropped from the copy so that a NULL can be stored.
        const std::string strFrom = "Extension TEXT    NOT NULL";
        strSql.replace(strSql.find(strFrom), strFrom.size(), "Extension TEXT");
        test::BuildDatabase(strDb, strSql + c.pszSql);
        testing::internal::CaptureStderr();
        // Through the exported operation: only 0 crosses the boundary.
        EXPECT_EQ(::bConvertSHGToGIFMAP(strDb.c_str(), strShg.c_str(), 7), 0) << c.pszSql;
        const std::string strErr = testing::internal::GetCapturedStderr();
        EXPECT_EQ(strErr.rfind("Vellumdesk: ", 0), 0u) << strErr;
        EXPECT_NE(strErr.find(c.pszNamed), std::string::npos) << strErr;
        EXPECT_EQ(strErr.find('\n'), strErr.size() - 1) << strErr;
    }
}

TEST_F(ShgConversion, UnloadClosesTheSession) {
    const std::string strDb = MakeDatabase("project.db");
    ASSERT_EQ(Convert(strDb, WriteShg("plan.shg", test::PlanPicture())), 1) << m_strReason;
    ASSERT_TRUE(g_pDatabase && g_pCompileStamm);
    // Between conversions the host may write its database.
    {
        sqlite3* pHost = nullptr;
        ASSERT_EQ(sqlite3_open(strDb.c_str(), &pHost), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(pHost, "UPDATE CompileStamm SET StartPage = 'start.htm';", nullptr,
                               nullptr, nullptr),
                  SQLITE_OK);
        sqlite3_close(pHost);
    }
    UnloadModule();
    EXPECT_FALSE(g_pDatabase || g_pHeadLines || g_pSources || g_pSourcesStamm || g_pDirectoryList ||
                 g_pCompileStamm);
    // The database file is closed: it can be removed and replaced.
    std::filesystem::remove(strDb);
    EXPECT_FALSE(std::filesystem::exists(strDb));
}

}  // namespace
}  // namespace vd
