// The Jet store on the shared .mdb fixtures: catalog, column and index
// definitions, every row, index orders and seeks compared with the SQLite
// twin built from sample-project.sql, bookmarks, the missing table, and a
// quiet stderr.
#include <sqlite3.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "frame/LibraryState.h"
#include "projectdb/Engine.h"
#include "projectdb/JetFile.h"
#include "projectdb/JetPageFile.h"
#include "projectdb/Session.h"
#include "tests/projectdb/ProjectDbTestSupport.h"

namespace vd {
namespace {

using test::CTempDir;

std::string Fixture(const char* pszName) {
    return (test::TestDataDir() / "mdb" / pszName).string();
}

jet::CJetFile OpenFile(const std::string& strPath) {
    return jet::CJetFile(jet::OpenJetPageFile(strPath));
}

template <typename Fn>
std::string EngineError(Fn&& fn) {
    try {
        fn();
    } catch (const CEngineException& error) {
        return error.GetDescription();
    }
    ADD_FAILURE() << "no engine error raised";
    return "";
}

const std::vector<std::string> kTables = {"Sources", "SourcesStamm", "DirectoryList",
                                          "CompileStamm", "HeadLines"};

// Every field of the current record, as text, in column order.
std::string RecordText(CEngineRecordset& rs,
                       const std::vector<std::pair<std::string, bool>>& fields) {
    std::string text;
    for (const auto& [strField, bText] : fields) {
        text += bText ? rs.GetText(strField) : std::to_string(rs.GetLong(strField));
        text += '|';
    }
    return text;
}

// The fields of each table and whether they are text.
const std::map<std::string, std::vector<std::pair<std::string, bool>>> kFields = {
    {"Sources",
     {{"Idx", false},
      {"SourcesStammIdx", false},
      {"MainDocHeadLinesIdx", false},
      {"CompileStammIdx", false},
      {"DirectoryListIdx", false},
      {"FileName", true}}},
    {"SourcesStamm", {{"Idx", false}, {"DestinationPath", true}, {"Destination", false}}},
    {"DirectoryList",
     {{"Idx", false}, {"DestinationIdx", false}, {"FileMask", true}, {"Directory", true}}},
    {"CompileStamm", {{"Idx", false}, {"Extension", true}, {"StartPage", true}}},
    {"HeadLines",
     {{"Idx", false}, {"Position", false}, {"Name", true}, {"Number", false}, {"Deep", false}}},
};

const std::vector<std::pair<std::string, std::string>> kIndexes = {
    {"Sources", "IDX"},      {"SourcesStamm", "IDX"}, {"DirectoryList", "IDXDESTINATIONIDX"},
    {"CompileStamm", "IDX"}, {"HeadLines", "IDX"},    {"HeadLines", "IDXNAME"}};

std::vector<std::string> WalkIndex(CEngineDatabase& db, const std::string& strTable,
                                   const std::string& strIndex) {
    auto pRs = db.CreateRecordset();
    pRs->Open(strTable);
    pRs->SetIndex(strIndex);
    std::vector<std::string> records;
    for (pRs->MoveFirst(); !pRs->IsEOF(); pRs->MoveNext()) {
        records.push_back(RecordText(*pRs, kFields.at(strTable)));
    }
    return records;
}

TEST(JetFixture, TheCatalogListsTheUserTables) {
    VD_REQUIRE_TESTDATA("mdb/missing-table.mdb");
    auto userTables = [](const std::string& strPath) {
        jet::CJetFile file = OpenFile(strPath);
        std::vector<std::string> names;
        for (const auto& entry : file.GetCatalog()) {
            if (entry.IsTable() && !entry.IsSystemObject()) names.push_back(entry.strName);
        }
        return names;
    };
    EXPECT_EQ(userTables(Fixture("sample-project.mdb")), kTables);
    EXPECT_EQ(userTables(Fixture("missing-table.mdb")),
              (std::vector<std::string>{"Sources", "SourcesStamm", "DirectoryList", "HeadLines"}));
}

// Column names and types, and each named index with its key columns.
std::string DescribeTable(jet::CJetFile& file, const std::string& strTable) {
    const jet::CCatalogEntry* pEntry = file.FindTable(strTable);
    if (pEntry == nullptr) return "missing";
    const jet::CJetTableDefinition def = file.ReadDefinition(pEntry->nDefinitionPage);
    std::string text;
    for (const auto& column : def.columns) {
        text += column.strName + ":" + jet::ColumnTypeName(column.nType) + " ";
    }
    for (const auto& index : def.indexes) {
        text += index.strName + "(";
        for (const auto& key : index.keys) {
            text += def.columns[key.nColumn].strName + (key.bAscending ? "" : " desc") + ",";
        }
        text += ") ";
    }
    return text;
}

TEST(JetFixture, ColumnsAndIndexDefinitionsAreReadRight) {
    VD_REQUIRE_TESTDATA("mdb/sample-project.mdb");
    jet::CJetFile file = OpenFile(Fixture("sample-project.mdb"));
    EXPECT_EQ(DescribeTable(file, "Sources"),
              "Idx:Long Integer SourcesStammIdx:Long Integer MainDocHeadLinesIdx:Long Integer "
              "CompileStammIdx:Long Integer DirectoryListIdx:Long Integer FileName:Text "
              "IDX(Idx,) ");
    EXPECT_EQ(DescribeTable(file, "SourcesStamm"),
              "Idx:Long Integer DestinationPath:Text Destination:Long Integer IDX(Idx,) ");
    EXPECT_EQ(DescribeTable(file, "DirectoryList"),
              "Idx:Long Integer DestinationIdx:Long Integer FileMask:Text Directory:Text "
              "IDXDESTINATIONIDX(Idx,DestinationIdx,) ");
    EXPECT_EQ(DescribeTable(file, "CompileStamm"),
              "Idx:Long Integer Extension:Text StartPage:Text IDX(Idx,) ");
    EXPECT_EQ(DescribeTable(file, "HeadLines"),
              "Idx:Long Integer Position:Long Integer Name:Text Number:Long Integer "
              "Deep:Long Integer IDX(Idx,Position,) IDXNAME(Idx,Name,) ");
    // Table names are found without regard to letter case, as Jet does.
    EXPECT_EQ(DescribeTable(file, "headlines"), DescribeTable(file, "HeadLines"));
    EXPECT_EQ(DescribeTable(file, "NoSuchTable"), "missing");
}

TEST(JetFixture, NamedIndexesSharingOnePhysicalIndexKeepTheirOwnKeys) {
    VD_REQUIRE_TESTDATA("mdb/shared-index.mdb");
    jet::CJetFile file = OpenFile(Fixture("shared-index.mdb"));
    EXPECT_EQ(DescribeTable(file, "HeadLines"),
              "Idx:Long Integer Position:Long Integer Name:Text Number:Long Integer "
              "Deep:Long Integer IDXGROUP(Idx,Position,) IDX(Idx,Position,) "
              "IDXNAME(Idx,Name,) ");
    const auto def = file.ReadDefinition(file.FindTable("HeadLines")->nDefinitionPage);
    ASSERT_EQ(def.indexes.size(), 3u);
    EXPECT_EQ(def.indexes[0].nPhysical, def.indexes[1].nPhysical);
    EXPECT_NE(def.indexes[1].nPhysical, def.indexes[2].nPhysical);

    // Through the engine the two files walk and seek alike.
    auto pShared = CreateEngineDatabase();
    pShared->Open(Fixture("shared-index.mdb"));
    auto pSample = CreateEngineDatabase();
    pSample->Open(Fixture("sample-project.mdb"));
    for (const char* pszIndex : {"IDX", "IDXNAME"}) {
        EXPECT_EQ(WalkIndex(*pShared, "HeadLines", pszIndex),
                  WalkIndex(*pSample, "HeadLines", pszIndex))
            << pszIndex;
    }
    EXPECT_EQ(WalkIndex(*pShared, "HeadLines", "IDXGROUP"),
              WalkIndex(*pSample, "HeadLines", "IDX"));
}

// The SQLite twin of sample-project.mdb, built from the shared script.
class JetAndSqlite : public ::testing::Test {
  protected:
    void SetUp() override {
        VD_REQUIRE_TESTDATA("mdb/sample-project.sql");
        VD_REQUIRE_TESTDATA("mdb/sample-project.mdb");
        m_strSqlite = m_dir.File("sample.db");
        test::BuildDatabase(m_strSqlite, test::SampleProjectSql());
        m_pJet = CreateEngineDatabase();
        m_pJet->Open(Fixture("sample-project.mdb"));
        m_pSqlite = CreateEngineDatabase();
        m_pSqlite->Open(m_strSqlite);
    }

    // The rows of a table in rowid (insertion) order, straight from SQLite.
    std::vector<std::vector<std::string>> SqliteRows(const std::string& strTable) {
        sqlite3* pDb = nullptr;
        EXPECT_EQ(sqlite3_open_v2(m_strSqlite.c_str(), &pDb, SQLITE_OPEN_READONLY, nullptr),
                  SQLITE_OK);
        sqlite3_stmt* pStmt = nullptr;
        const std::string strSql = "SELECT * FROM " + strTable + " ORDER BY rowid";
        EXPECT_EQ(sqlite3_prepare_v2(pDb, strSql.c_str(), -1, &pStmt, nullptr), SQLITE_OK);
        std::vector<std::vector<std::string>> rows;
        while (sqlite3_step(pStmt) == SQLITE_ROW) {
            std::vector<std::string> row;
            for (int c = 0; c < sqlite3_column_count(pStmt); ++c) {
                const auto* p = sqlite3_column_text(pStmt, c);
                row.push_back(std::string(sqlite3_column_name(pStmt, c)) + "=" +
                              reinterpret_cast<const char*>(p));
            }
            rows.push_back(row);
        }
        sqlite3_finalize(pStmt);
        sqlite3_close(pDb);
        return rows;
    }

    CTempDir m_dir;
    std::string m_strSqlite;
    std::unique_ptr<CEngineDatabase> m_pJet;
    std::unique_ptr<CEngineDatabase> m_pSqlite;
};

TEST_F(JetAndSqlite, EveryRowOfEveryTableIsReadRight) {
    jet::CJetFile file = OpenFile(Fixture("sample-project.mdb"));
    for (const std::string& strTable : kTables) {
        const jet::CJetTableContents contents = file.LoadTable(*file.FindTable(strTable));
        std::vector<std::vector<std::string>> rows;
        for (std::size_t r = 0; r < contents.GetRowCount(); ++r) {
            std::vector<std::string> row;
            for (std::size_t c = 0; c < contents.GetColumnCount(); ++c) {
                const jet::CJetValue& value = contents.At(r, c);
                ASSERT_NE(value.eKind, jet::EValueKind::null) << strTable;
                row.push_back(contents.definition.columns[c].strName + "=" +
                              (value.eKind == jet::EValueKind::text
                                   ? std::string(value.strText)
                                   : std::to_string(value.nInteger)));
            }
            rows.push_back(row);
        }
        EXPECT_EQ(rows, SqliteRows(strTable)) << strTable;
    }
}

TEST_F(JetAndSqlite, IndexOrdersAgreeExceptWhereTheRulesDiffer) {
    for (const auto& [strTable, strIndex] : kIndexes) {
        const auto jet = WalkIndex(*m_pJet, strTable, strIndex);
        auto sqlite = WalkIndex(*m_pSqlite, strTable, strIndex);
        if (strIndex == "IDXNAME") {
            // Jet sorts an accented letter with its base letter: Übersicht
            // comes between Toolbar and Welcome, not after Welcome.
            const std::string strUebersicht =
                "10|7|\xC3\x9C"
                "bersicht|7|2|";
            const std::string strWelcome = "10|1|Welcome|1|1|";
            auto it = std::find(sqlite.begin(), sqlite.end(), strUebersicht);
            ASSERT_NE(it, sqlite.end());
            sqlite.erase(it);
            sqlite.insert(std::find(sqlite.begin(), sqlite.end(), strWelcome), strUebersicht);
            const auto itJet = std::find(jet.begin(), jet.end(), strUebersicht);
            ASSERT_NE(itJet, jet.end());
            ASSERT_NE(itJet, jet.begin());
            EXPECT_EQ(*(itJet - 1), "10|16|Toolbar|16|2|");
        }
        EXPECT_EQ(jet, sqlite) << strTable << " " << strIndex;
    }
}

TEST_F(JetAndSqlite, IndexOrderOfEqualKeysIsTheOrderOfStorage) {
    const auto names = WalkIndex(*m_pJet, "HeadLines", "IDXNAME");
    const auto itToolBar = std::find(names.begin(), names.end(), "10|18|ToolBar|18|2|");
    const auto itToolbar = std::find(names.begin(), names.end(), "10|16|Toolbar|16|2|");
    ASSERT_NE(itToolBar, names.end());
    EXPECT_EQ(itToolBar + 1, itToolbar);
    const auto dirs = WalkIndex(*m_pJet, "DirectoryList", "IDXDESTINATIONIDX");
    EXPECT_EQ(dirs, (std::vector<std::string>{"1|1|*.gif|\\images|", "1|1|*.map|maps\\|",
                                              "1|1|*.html|pages|", "1|2|*.gif|img\\|",
                                              "2|1|*.gif|pictures|"}));
}

// The Number found by a seek on HeadLines, or -1 for no match.
int SeekNumber(CEngineRecordset& rs, const char* pszIndex, std::initializer_list<CKeyValue> keys) {
    rs.SetIndex(pszIndex);
    return rs.Seek(keys) ? rs.GetLong("Number") : -1;
}

TEST_F(JetAndSqlite, SeeksFindTheSameRecordWhereTheRulesAgree) {
    auto pJet = m_pJet->CreateRecordset();
    auto pSqlite = m_pSqlite->CreateRecordset();
    pJet->Open("HeadLines");
    pSqlite->Open("HeadLines");
    std::vector<std::pair<std::int32_t, std::string>> keys;
    pSqlite->SetIndex("IDX");
    for (pSqlite->MoveFirst(); !pSqlite->IsEOF(); pSqlite->MoveNext()) {
        keys.emplace_back(pSqlite->GetLong("Idx"), pSqlite->GetText("Name"));
    }
    ASSERT_EQ(keys.size(), 34u);
    for (const auto& [nGroup, strName] : keys) {
        std::string strLower = strName, strUpper = strName;
        for (char& c : strLower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        for (char& c : strUpper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        for (const std::string& strKey : {strName, strLower, strUpper}) {
            const int nJet = SeekNumber(*pJet, "IDXNAME", {nGroup, strKey});
            EXPECT_NE(nJet, -1) << nGroup << " " << strKey;
            EXPECT_EQ(nJet, SeekNumber(*pSqlite, "IDXNAME", {nGroup, strKey}))
                << nGroup << " " << strKey;
        }
    }
    // Leading-key seeks find the first record of a group; every group and a
    // missing one.
    for (std::int32_t nGroup : {10, 11, 12, 13, 9}) {
        EXPECT_EQ(SeekNumber(*pJet, "IDX", {nGroup}), SeekNumber(*pSqlite, "IDX", {nGroup}))
            << nGroup;
        EXPECT_EQ(SeekNumber(*pJet, "IDXNAME", {nGroup}), SeekNumber(*pSqlite, "IDXNAME", {nGroup}))
            << nGroup;
    }
    EXPECT_EQ(SeekNumber(*pJet, "IDX", {10}), 1);
    EXPECT_EQ(SeekNumber(*pJet, "IDX", {13}), -1);
    EXPECT_EQ(SeekNumber(*pJet, "IDXNAME", {10, "toolbar"}), 18);  // ToolBar, stored first
    EXPECT_EQ(SeekNumber(*pJet, "IDX", {10, 15}), 123456);
    EXPECT_EQ(SeekNumber(*pJet, "IDXNAME", {11, "Glossary"}), 201);
    EXPECT_EQ(SeekNumber(*pJet, "IDXNAME", {12, "Welcome"}), 301);
}

TEST_F(JetAndSqlite, SeeksFollowJetsRuleWhereTheRulesDiffer) {
    auto pJet = m_pJet->CreateRecordset();
    auto pSqlite = m_pSqlite->CreateRecordset();
    pJet->Open("HeadLines");
    pSqlite->Open("HeadLines");
    // Trailing spaces are not part of a Jet key; accented letters fold case.
    EXPECT_EQ(SeekNumber(*pJet, "IDXNAME", {10, "Options"}), 21);
    EXPECT_EQ(SeekNumber(*pSqlite, "IDXNAME", {10, "Options"}), -1);
    EXPECT_EQ(SeekNumber(*pJet, "IDXNAME",
                         {10,
                          "\xC3\xBC"
                          "bersicht"}),
              7);
    EXPECT_EQ(SeekNumber(*pSqlite, "IDXNAME",
                         {10,
                          "\xC3\xBC"
                          "bersicht"}),
              -1);
    // An accent is part of the key.
    EXPECT_EQ(SeekNumber(*pJet, "IDXNAME", {10, "Ubersicht"}), -1);
    EXPECT_EQ(SeekNumber(*pJet, "IDXNAME", {10, "Options   "}), 21);
}

TEST_F(JetAndSqlite, OtherTablesSeekAlike) {
    for (CEngineDatabase* pDb : {m_pJet.get(), m_pSqlite.get()}) {
        auto pSources = pDb->CreateRecordset();
        pSources->Open("Sources");
        pSources->SetIndex("IDX");
        ASSERT_TRUE(pSources->Seek({2}));
        EXPECT_EQ(pSources->GetText("FileName"), "images\\menus.shg");
        EXPECT_EQ(pSources->GetLong("DirectoryListIdx"), 2);
        EXPECT_FALSE(pSources->Seek({4}));
        EXPECT_TRUE(pSources->IsEOF());

        auto pStamm = pDb->CreateRecordset();
        pStamm->Open("SourcesStamm");
        pStamm->SetIndex("IDX");
        ASSERT_TRUE(pStamm->Seek({1}));
        EXPECT_EQ(pStamm->GetText("DestinationPath"), "C:\\Publish\\Manual\\");

        auto pDirs = pDb->CreateRecordset();
        pDirs->Open("DirectoryList");
        pDirs->SetIndex("IDXDESTINATIONIDX");
        ASSERT_TRUE(pDirs->Seek({1, 1}));
        EXPECT_EQ(pDirs->GetText("Directory"), "\\images");
        ASSERT_TRUE(pDirs->Seek({1, 2}));
        EXPECT_EQ(pDirs->GetText("FileMask"), "*.gif");
        EXPECT_EQ(pDirs->GetText("Directory"), "img\\");
        EXPECT_FALSE(pDirs->Seek({2, 2}));

        auto pProfiles = pDb->CreateRecordset();
        pProfiles->Open("CompileStamm");
        pProfiles->SetIndex("IDX");
        ASSERT_TRUE(pProfiles->Seek({1}));
        EXPECT_EQ(pProfiles->GetText("Extension"), "htm");
        EXPECT_EQ(pProfiles->GetText("StartPage"), "index.htm");
    }
}

TEST_F(JetAndSqlite, ABookmarkStaysValidAcrossIndexChanges) {
    auto pRs = m_pJet->CreateRecordset();
    pRs->Open("HeadLines");
    pRs->SetIndex("IDXNAME");
    ASSERT_TRUE(pRs->Seek({10, "Installing"}));
    const CBookmark bookmark = pRs->GetBookmark();
    pRs->SetIndex("IDX");
    pRs->SetBookmark(bookmark);
    EXPECT_EQ(pRs->GetText("Name"), "Installing");
    pRs->MoveNext();
    EXPECT_EQ(pRs->GetText("Name"), "System requirements");
    // The record stays current when the index changes, at its new place.
    pRs->SetIndex("IDXNAME");
    pRs->MoveNext();
    EXPECT_EQ(pRs->GetText("Name"), "ToolBar");
    // A bookmark of another recordset of the table names the same record.
    auto pOther = m_pJet->CreateRecordset();
    pOther->Open("HeadLines");
    pOther->SetBookmark(bookmark);
    EXPECT_EQ(pOther->GetText("Name"), "Installing");
    EXPECT_NE(EngineError([&] { pOther->SetBookmark(CBookmark{0}); }), "");
    EXPECT_NE(EngineError([&] { pOther->SetBookmark(CBookmark{35}); }), "");
}

TEST(JetFixture, AMissingTableFailsTheOpeningWithItsNameEveryTime) {
    VD_REQUIRE_TESTDATA("mdb/missing-table.mdb");
    const std::string strPath = Fixture("missing-table.mdb");
    auto pDb = CreateEngineDatabase();
    pDb->Open(strPath);
    auto pRs = pDb->CreateRecordset();
    for (int nTry = 0; nTry < 2; ++nTry) {
        const std::string strError = EngineError([&] { pRs->Open("CompileStamm"); });
        EXPECT_NE(strError.find("'CompileStamm'"), std::string::npos) << strError;
        EXPECT_NE(strError.find(strPath), std::string::npos) << strError;
        EXPECT_FALSE(pRs->IsOpen());
    }
    pRs->Open("HeadLines");
    EXPECT_TRUE(pRs->IsOpen());
}

class JetSession : public test::CSessionTest {};

TEST_F(JetSession, TheSessionOpensOnAJetFileAndRetriesAFailedOpening) {
    VD_REQUIRE_TESTDATA("mdb/missing-table.mdb");
    for (int nTry = 0; nTry < 2; ++nTry) {
        testing::internal::CaptureStderr();
        EXPECT_EQ(bOpenProjectDatabase(Fixture("missing-table.mdb")), 0);
        const std::string strErr = testing::internal::GetCapturedStderr();
        EXPECT_EQ(strErr.rfind("Vellumdesk: ", 0), 0u) << strErr;
        EXPECT_NE(strErr.find("CompileStamm"), std::string::npos) << strErr;
        EXPECT_EQ(std::count(strErr.begin(), strErr.end(), '\n'), 1) << strErr;
    }
    testing::internal::CaptureStderr();
    EXPECT_EQ(bOpenProjectDatabase(Fixture("sample-project.mdb")), 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    g_pSources->SetIndex("IDX");
    ASSERT_TRUE(g_pSources->Seek({3}));
    EXPECT_EQ(g_pSources->GetLong("MainDocHeadLinesIdx"), 12);
}

TEST(JetFixture, EngineErrorsNameWhatFailed) {
    VD_REQUIRE_TESTDATA("mdb/sample-project.mdb");
    auto pDb = CreateEngineDatabase();
    pDb->Open(Fixture("sample-project.mdb"));
    auto pRs = pDb->CreateRecordset();
    EXPECT_NE(EngineError([&] { pRs->MoveFirst(); }).find("not open"), std::string::npos);
    pRs->Open("HeadLines");
    EXPECT_NE(EngineError([&] { pRs->Seek({10}); }).find("needs an index"), std::string::npos);
    EXPECT_NE(EngineError([&] { pRs->SetIndex("IDXNOPE"); }).find("'IDXNOPE'"), std::string::npos);
    pRs->SetIndex("IDXNAME");
    EXPECT_NE(EngineError([&] { pRs->Seek({"10", "Welcome"}); }).find("'Idx'"), std::string::npos);
    EXPECT_NE(EngineError([&] { pRs->Seek({10, 5}); }).find("'Name'"), std::string::npos);
    EXPECT_NE(EngineError([&] {
                  pRs->Seek({10, "Welcome", 1});
              }).find("3 keys"),
              std::string::npos);
    ASSERT_TRUE(pRs->Seek({10, "Welcome"}));
    EXPECT_NE(EngineError([&] { pRs->GetLong("Nope"); }).find("'Nope'"), std::string::npos);
    EXPECT_NE(EngineError([&] { pRs->GetLong("Name"); }).find("not an integer"), std::string::npos);
    EXPECT_NE(EngineError([&] { pRs->GetText("Number"); }).find("not a text"), std::string::npos);
    EXPECT_EQ(pRs->GetLong("number"), 1);  // field names ignore letter case
    EXPECT_FALSE(pRs->Seek({99, "Welcome"}));
    EXPECT_TRUE(pRs->IsEOF());
    EXPECT_NE(EngineError([&] { pRs->GetLong("Number"); }).find("No current record"),
              std::string::npos);
    EXPECT_NE(EngineError([&] { pRs->MoveNext(); }).find("HeadLines"), std::string::npos);
    EXPECT_NE(EngineError([&] { pRs->GetBookmark(); }).find("No current record"),
              std::string::npos);
}

TEST(JetFixture, OpeningAMissingOrForeignFileSaysWhy) {
    CTempDir dir;
    auto pDb = CreateEngineDatabase();
    const std::string strMissing = dir.File("none.mdb");
    EXPECT_NE(EngineError([&] { pDb->Open(strMissing); }).find(strMissing), std::string::npos);
    // A Jet 3 file and a file cut short are refused.
    std::vector<std::uint8_t> jet3(8192, 0);
    const char kSignature[] = "Standard Jet DB";
    std::copy(kSignature, kSignature + 15, jet3.begin() + 4);
    test::WriteBytes(dir.File("old.mdb"), jet3);
    EXPECT_NE(EngineError([&] { pDb->Open(dir.File("old.mdb")); }).find("Jet 3"),
              std::string::npos);
    jet3[0x14] = 1;
    jet3.resize(6000);
    test::WriteBytes(dir.File("short.mdb"), jet3);
    testing::internal::CaptureStderr();
    EXPECT_NE(EngineError([&] { pDb->Open(dir.File("short.mdb")); }).find("too short"),
              std::string::npos);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_FALSE(pDb->IsOpen());
}

// Everything the session reads, as one text.
std::string ReadEverything(const std::string& strPath) {
    auto pDb = CreateEngineDatabase();
    pDb->Open(strPath);
    std::string text;
    for (const auto& [strTable, strIndex] : kIndexes) {
        for (const auto& record : WalkIndex(*pDb, strTable, strIndex)) text += record + "\n";
    }
    return text;
}

TEST(JetFixture, ReadingSaysNothingOnStderr) {
    VD_REQUIRE_TESTDATA("mdb/sample-project.mdb");
    testing::internal::CaptureStderr();
    const std::string strText = ReadEverything(Fixture("sample-project.mdb"));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_NE(strText.find("Replace|123456"), std::string::npos);
}

}  // namespace
}  // namespace vd
