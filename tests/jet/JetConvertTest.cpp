// "vellumdesk db convert" and "db check" on Jet files, run as a user would,
// and a whole hypergraphic conversion through a Jet project database
// compared with the same conversion through its SQLite twin.
#include <sqlite3.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "hypergraphics/ShgConversion.h"
#include "projectdb/Engine.h"
#include "tests/cli/ToolTestSupport.h"
#include "tests/hypergraphics/HypergraphicsTestSupport.h"
#include "tests/jet/JetBuilder.h"
#include "tests/jet/MdbtoolsReadBack.h"
#include "tests/projectdb/ProjectDbTestSupport.h"

namespace vd {
namespace {

using test::CTempDir;

std::string Fixture(const char* pszName) {
    return (test::TestDataDir() / "mdb" / pszName).string();
}

// The rows of every table of an SQLite file in rowid order, one line each.
std::string DumpSqlite(const std::string& strPath) {
    sqlite3* pDb = nullptr;
    EXPECT_EQ(sqlite3_open_v2(strPath.c_str(), &pDb, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    std::string text;
    for (const char* pszTable :
         {"Sources", "SourcesStamm", "DirectoryList", "CompileStamm", "HeadLines"}) {
        sqlite3_stmt* pStmt = nullptr;
        const std::string strSql = std::string("SELECT * FROM ") + pszTable + " ORDER BY rowid";
        EXPECT_EQ(sqlite3_prepare_v2(pDb, strSql.c_str(), -1, &pStmt, nullptr), SQLITE_OK)
            << pszTable;
        while (sqlite3_step(pStmt) == SQLITE_ROW) {
            text += pszTable;
            for (int c = 0; c < sqlite3_column_count(pStmt); ++c) {
                const int nType = sqlite3_column_type(pStmt, c);
                text.append("|").append(sqlite3_column_name(pStmt, c)).append("=");
                if (nType == SQLITE_NULL) {
                    text.append("NULL");
                } else {
                    text.append(nType == SQLITE_INTEGER ? "i" : "t")
                        .append(reinterpret_cast<const char*>(sqlite3_column_text(pStmt, c)));
                }
            }
            text += "\n";
        }
        sqlite3_finalize(pStmt);
    }
    sqlite3_close(pDb);
    return text;
}

std::string IndexSql(const std::string& strPath) {
    sqlite3* pDb = nullptr;
    EXPECT_EQ(sqlite3_open_v2(strPath.c_str(), &pDb, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    sqlite3_stmt* pStmt = nullptr;
    EXPECT_EQ(
        sqlite3_prepare_v2(pDb, "SELECT sql FROM sqlite_master WHERE type='index' ORDER BY name",
                           -1, &pStmt, nullptr),
        SQLITE_OK);
    std::string text;
    while (sqlite3_step(pStmt) == SQLITE_ROW) {
        text += reinterpret_cast<const char*>(sqlite3_column_text(pStmt, 0));
        text += "\n";
    }
    sqlite3_finalize(pStmt);
    sqlite3_close(pDb);
    return text;
}

using JetTool = test::CToolTest;
using CRun = test::SRun;
using test::Slurp;

TEST_F(JetTool, ConvertWritesTheSqliteTwinOfTheSample) {
    VD_REQUIRE_TESTDATA("mdb/sample-project.sql");
    const std::string strOut = m_dir.File("converted.sqlite");
    const CRun run = Tool({"db", "convert", Fixture("sample-project.mdb"), strOut});
    ASSERT_EQ(run.nExit, 0) << run.strErr;
    EXPECT_EQ(run.strErr, "");
    EXPECT_NE(run.strOut.find("HeadLines: 34 rows"), std::string::npos) << run.strOut;
    EXPECT_NE(run.strOut.find("CompileStamm: 1 row\n"), std::string::npos) << run.strOut;

    const std::string strTwin = m_dir.File("twin.sqlite");
    test::BuildDatabase(strTwin, test::SampleProjectSql());
    EXPECT_EQ(DumpSqlite(strOut), DumpSqlite(strTwin));
    EXPECT_EQ(IndexSql(strOut),
              "CREATE INDEX \"CompileStamm_IDX\" ON \"CompileStamm\"(\"Idx\")\n"
              "CREATE INDEX \"DirectoryList_IDXDESTINATIONIDX\" ON "
              "\"DirectoryList\"(\"Idx\", \"DestinationIdx\")\n"
              "CREATE INDEX \"HeadLines_IDX\" ON \"HeadLines\"(\"Idx\", \"Position\")\n"
              "CREATE INDEX \"HeadLines_IDXNAME\" ON \"HeadLines\"(\"Idx\", \"Name\" COLLATE "
              "NOCASE)\n"
              "CREATE INDEX \"SourcesStamm_IDX\" ON \"SourcesStamm\"(\"Idx\")\n"
              "CREATE INDEX \"Sources_IDX\" ON \"Sources\"(\"Idx\")\n");

    // The library reads it like its twin, and db check finds nothing amiss.
    const CRun check = Tool({"db", "check", strOut});
    EXPECT_EQ(check.nExit, 0) << check.strOut << check.strErr;
}

TEST_F(JetTool, ConvertKeepsEveryNamedIndexOfTheSource) {
    VD_REQUIRE_TESTDATA("mdb/shared-index.mdb");
    const std::string strOut = m_dir.File("shared.sqlite");
    const CRun run = Tool({"db", "convert", Fixture("shared-index.mdb"), strOut});
    ASSERT_EQ(run.nExit, 0) << run.strErr;
    EXPECT_NE(
        IndexSql(strOut).find("\"HeadLines_IDXGROUP\" ON \"HeadLines\"(\"Idx\", \"Position\")"),
        std::string::npos)
        << IndexSql(strOut);
}

TEST_F(JetTool, ConvertRefusesWhatItCannotWriteFaithfully) {
    VD_REQUIRE_TESTDATA("mdb/missing-table.mdb");
    // An existing output is left alone.
    const std::string strExisting = m_dir.File("existing.sqlite");
    test::WriteText(strExisting, "keep me");
    CRun run = Tool({"db", "convert", Fixture("sample-project.mdb"), strExisting});
    EXPECT_EQ(run.nExit, 1);
    EXPECT_EQ(run.strErr, "vellumdesk: db convert: cannot create '" + strExisting +
                              "': it exists already (left as it is)\n");
    EXPECT_EQ(Slurp(strExisting), "keep me");

    // A missing table: nothing is written.
    const std::string strOut = m_dir.File("out.sqlite");
    run = Tool({"db", "convert", Fixture("missing-table.mdb"), strOut});
    EXPECT_EQ(run.nExit, 1);
    EXPECT_EQ(run.strErr, "vellumdesk: db convert: cannot convert '" +
                              Fixture("missing-table.mdb") +
                              "': it has no table 'CompileStamm'; nothing was written\n");
    EXPECT_FALSE(std::filesystem::exists(strOut));

    // An SQLite file as the source, a missing source, a wrong command line.
    const std::string strTwin = m_dir.File("twin.sqlite");
    test::BuildDatabase(strTwin, test::SampleProjectSql());
    run = Tool({"db", "convert", strTwin, strOut});
    EXPECT_EQ(run.nExit, 1);
    EXPECT_EQ(run.strErr, "vellumdesk: db convert: cannot convert '" + strTwin +
                              "': it is an SQLite project database already\n");
    run = Tool({"db", "convert", m_dir.File("none.mdb"), strOut});
    EXPECT_EQ(run.nExit, 1);
    EXPECT_EQ(run.strErr.rfind(
                  "vellumdesk: db convert: cannot convert '" + m_dir.File("none.mdb") + "': ", 0),
              0U)
        << run.strErr;
    EXPECT_EQ(Tool({"db", "convert", strTwin}).nExit, 2);
    EXPECT_FALSE(std::filesystem::exists(strOut));
}

// The five tables with one row each; fields of other types and NULLs as given.
std::vector<test::jet::CTableDef> MinimalProject(bool bNullName) {
    using test::jet::CCell;
    using test::jet::Rows;
    constexpr std::uint8_t kLong = 0x04, kText = 0x0a, kDate = 0x08;
    std::vector<test::jet::CTableDef> tables(5);
    tables[0] = {"Sources",
                 {{"Idx", kLong},
                  {"SourcesStammIdx", kLong},
                  {"MainDocHeadLinesIdx", kLong},
                  {"CompileStammIdx", kLong},
                  {"DirectoryListIdx", kLong},
                  {"Changed", kDate}},
                 {{"IDX", {"Idx"}}, {"BYDATE", {"Changed"}}},
                 Rows({{1, 1, 10, 1, 1, 5}})};
    tables[1] = {"SourcesStamm",
                 {{"Idx", kLong}, {"DestinationPath", kText}, {"Destination", kLong}},
                 {{"IDX", {"Idx"}}},
                 Rows({{1, std::string("out/"), 1}})};
    tables[2] = {
        "DirectoryList",
        {{"Idx", kLong}, {"DestinationIdx", kLong}, {"FileMask", kText}, {"Directory", kText}},
        {},
        Rows({{1, 1, std::string("*.gif"), std::string("")}})};
    tables[3] = {"CompileStamm",
                 {{"Idx", kLong}, {"Extension", kText}, {"StartPage", kText}},
                 {{"IDX", {"Idx"}}},
                 Rows({{1, std::string("htm"), std::string("index.htm")}})};
    tables[4] = {
        "HeadLines",
        {{"Idx", kLong},
         {"Position", kLong},
         {"Name", kText},
         {"Number", kLong},
         {"Deep", kLong},
         {"Remark", kText}},
        {{"IDX", {"Idx", "Position"}}, {"IDXNAME", {"Idx", "Name"}}},
        Rows({{10, 1, bNullName ? CCell{} : CCell{std::string("Welcome")}, 1, 1, CCell{}}})};
    return tables;
}

TEST_F(JetTool, ConvertNotesWhatItLeavesOutOrAddsAndRefusesNulls) {
    const std::string strSource = m_dir.File("minimal.mdb");
    test::jet::WriteCheckedJetDatabase(strSource, MinimalProject(false));
    const std::string strOut = m_dir.File("minimal.sqlite");
    CRun run = Tool({"db", "convert", strSource, strOut});
    ASSERT_EQ(run.nExit, 0) << run.strErr;
    EXPECT_NE(run.strOut.find("left out the field 'Sources.Changed' (Date/Time)"),
              std::string::npos)
        << run.strOut;
    EXPECT_NE(run.strOut.find("left out the index 'Sources.BYDATE'"), std::string::npos);
    EXPECT_NE(run.strOut.find("added the index 'DirectoryList.IDXDESTINATIONIDX'"),
              std::string::npos);
    // An extra text field may be NULL; it stays NULL.
    EXPECT_NE(DumpSqlite(strOut).find("HeadLines|Idx=i10|Position=i1|Name=tWelcome|Number=i1|"
                                      "Deep=i1|Remark=NULL\n"),
              std::string::npos)
        << DumpSqlite(strOut);
    EXPECT_EQ(Tool({"db", "check", strOut}).nExit, 0);

    // A NULL where the schema requires a value fails the conversion.
    const std::string strNull = m_dir.File("null.mdb");
    test::jet::WriteCheckedJetDatabase(strNull, MinimalProject(true));
    run = Tool({"db", "convert", strNull, m_dir.File("null.sqlite")});
    EXPECT_EQ(run.nExit, 1);
    EXPECT_NE(run.strErr.find("'HeadLines.Name' is NULL in row 1"), std::string::npos)
        << run.strErr;
    EXPECT_FALSE(std::filesystem::exists(m_dir.File("null.sqlite")));
}

TEST_F(JetTool, CheckReadsJetFiles) {
    VD_REQUIRE_TESTDATA("mdb/missing-table.mdb");
    CRun run = Tool({"db", "check", Fixture("sample-project.mdb")});
    EXPECT_EQ(run.nExit, 0) << run.strOut << run.strErr;
    EXPECT_NE(run.strOut.find("holds everything the library reads"), std::string::npos);
    run = Tool({"db", "check", Fixture("missing-table.mdb")});
    EXPECT_EQ(run.nExit, 1);
    EXPECT_NE(run.strOut.find("CompileStamm"), std::string::npos) << run.strOut;
}

// The Jet store reads the file itself: neither the tool nor the module needs
// libmdb or glib, and reading a Jet file loads neither.
TEST_F(JetTool, ReadingAJetFileLoadsNoOtherLibrary) {
    VD_REQUIRE_TESTDATA("mdb/sample-project.mdb");
    const CRun check =
        Tool({"db", "check", Fixture("sample-project.mdb")}, "", "", "LD_DEBUG=libs");
    EXPECT_EQ(check.nExit, 0) << check.strErr;
    ASSERT_NE(check.strErr.find("calling init: "), std::string::npos) << "no loader trace";
    EXPECT_EQ(check.strErr.find("libmdb"), std::string::npos);
    EXPECT_EQ(check.strErr.find("libglib"), std::string::npos);

    for (const std::string& strBinary :
         {std::string(VD_BINARY_DIR) + "/vellumdesk", std::string(VD_MODULE_PATH)}) {
        const std::string strOut = m_dir.File("needed.txt");
        ASSERT_EQ(std::system(("readelf -d '" + strBinary + "' >'" + strOut + "'").c_str()), 0);
        const std::string strNeeded = Slurp(strOut);
        EXPECT_NE(strNeeded.find("(NEEDED)"), std::string::npos) << strBinary;
        EXPECT_EQ(strNeeded.find("libmdb"), std::string::npos) << strBinary;
        EXPECT_EQ(strNeeded.find("glib"), std::string::npos) << strBinary;
    }
    // Nor does the module load any library itself (the tool carries SQLite,
    // whose extension loading imports dlopen).
    const std::string strOut = m_dir.File("module-symbols.txt");
    ASSERT_EQ(std::system(
                  ("nm -D --undefined-only '" + std::string(VD_MODULE_PATH) + "' >'" + strOut + "'")
                      .c_str()),
              0);
    EXPECT_EQ(Slurp(strOut).find("dlopen"), std::string::npos);
}

// A hypergraphic conversion through the fixture's session. Its destination
// roots are Windows paths, which on this platform are plain folder names, so
// each conversion runs in a fresh working folder and the outputs are read
// from there.
class JetPublication : public test::CPublicationTest {
  protected:
    std::map<std::string, std::string> Publish(const std::string& strDb, std::int32_t nKey) {
        CTempDir cwd;
        const std::filesystem::path previous = std::filesystem::current_path();
        std::filesystem::current_path(cwd.Path());
        std::string strReason;
        const int nResult = bConvertSHGToGIFMAP(strDb, m_strShg, nKey, &strReason);
        std::filesystem::current_path(previous);
        Reset();
        EXPECT_EQ(nResult, 1) << strReason;
        std::map<std::string, std::string> files;
        for (const std::string& strFile : test::FilesBelow(cwd.Path())) {
            files[strFile] = strFile.back() == '/' ? "" : Slurp((cwd.Path() / strFile).string());
        }
        return files;
    }

    void MakeShg(const std::vector<test::CShgHotspotDescription>& hotspots) {
        test::CShgDescription desc = test::PlanPicture();
        desc.hotspots = hotspots;
        m_strShg = WriteShg("overview.shg", desc);
    }

    // The file whose name ends in strSuffix.
    static std::string FileEndingIn(const std::map<std::string, std::string>& files,
                                    const std::string& strSuffix) {
        for (const auto& [strName, strBytes] : files) {
            if (strName.size() >= strSuffix.size() &&
                strName.compare(strName.size() - strSuffix.size(), strSuffix.size(), strSuffix) ==
                    0) {
                return strBytes;
            }
        }
        ADD_FAILURE() << "no file ending in " << strSuffix;
        return "";
    }

    std::string m_strShg;
};

TEST_F(JetPublication, AConversionThroughTheJetFileMatchesItsSqliteTwin) {
    VD_REQUIRE_TESTDATA("mdb/sample-project.sql");
    const std::string strTwin = m_work.File("twin.db");
    test::BuildDatabase(strTwin, test::SampleProjectSql());
    MakeShg({{0xE3, 0, 0, 1, 1, "!Installing", "a"},
             {0xE3, 1, 0, 1, 1, "!Menus", "b"},
             {0xE2, 2, 0, 1, 1, "!Glossary", "c"},
             {0xE3, 3, 0, 1, 1, "!toolbar", "d"},
             {0xE3, 4, 0, 1, 1, "!Replace", "e"},
             {0xE3, 0, 1, 1, 1, "!Nowhere", "f"},
             {0xE3, 1, 1, 1, 1, "!Welcome", "g"},
             {0xC8, 2, 1, 1, 1, "!Run", "Macro(`x')"}});
    for (const std::int32_t nKey : {1, 3}) {
        const auto jet = Publish(Fixture("sample-project.mdb"), nKey);
        const auto sqlite = Publish(strTwin, nKey);
        EXPECT_EQ(jet, sqlite) << nKey;
        EXPECT_FALSE(jet.empty()) << nKey;
    }
    const auto files = Publish(Fixture("sample-project.mdb"), 1);
    const std::string strMap = FileEndingIn(files, "overview.map");
    for (const char* pszLink : {"index.htm", "t00010.htm", "p00201.htm", "t00019.htm",
                                "t123456.htm", "00000.htm", "Macro(`x')"}) {
        EXPECT_NE(strMap.find(pszLink), std::string::npos) << pszLink << "\n" << strMap;
    }
    EXPECT_EQ(FileEndingIn(files, "overview.gif").substr(0, 3), "GIF");
}

TEST_F(JetPublication, NamesFollowJetsRuleWhereTheStoresDiffer) {
    VD_REQUIRE_TESTDATA("mdb/sample-project.sql");
    const std::string strTwin = m_work.File("twin.db");
    test::BuildDatabase(strTwin, test::SampleProjectSql());
    MakeShg({{0xE3, 0, 0, 1, 1, "!Options", "a"},
             {0xE3, 0, 0, 1, 1,
              "!\xC3\xBC"
              "BERSICHT",
              "b"},
             // The same heading written in Windows-1252, and a macro target
             // outside ASCII, which the map writes as character references.
             {0xE3, 0, 0, 1, 1,
              "!\xFC"
              "bersicht",
              "c"},
             {0xC8, 0, 0, 1, 1, "!Run", "Gr\xC3\xBC\xC3\x9F(`\xE2\x82\xAC')"}});
    const std::string strJet =
        FileEndingIn(Publish(Fixture("sample-project.mdb"), 1), "overview.map");
    const std::string strSqlite = FileEndingIn(Publish(strTwin, 1), "overview.map");
    // "Options " is stored with a trailing space, which Jet's keys leave out.
    EXPECT_NE(strJet.find("t00021.htm"), std::string::npos) << strJet;
    EXPECT_NE(strSqlite.find("00000.htm"), std::string::npos) << strSqlite;
    // Letter case folds beyond ASCII in Jet's keys; NOCASE folds ASCII only.
    EXPECT_NE(strJet.find("t00007.htm>\r\n<AREA SHAPE=RECT COORDS=\"0,0,1,1\" HREF=t00007.htm"),
              std::string::npos)
        << strJet;
    EXPECT_EQ(strSqlite.find("t00007.htm"), std::string::npos) << strSqlite;
    EXPECT_NE(strJet.find("HREF=\"Gr&#252;&#223;(`&#8364;')\">"), std::string::npos) << strJet;
}

}  // namespace
}  // namespace vd
