// The engine interface over SQLite project databases: opening, tables,
// named indexes, seeks, walking an index, bookmarks and the errors raised.
#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "projectdb/Engine.h"
#include "projectdb/ProjectSchema.h"
#include "tests/projectdb/ProjectDbTestSupport.h"

namespace vd {
namespace {

using test::BuildDatabase;
using test::CTempDir;

std::unique_ptr<CEngineDatabase> OpenDatabase(const std::string& strPath) {
    auto pDb = CreateEngineDatabase();
    pDb->Open(strPath);
    return pDb;
}

// Expects fn to raise the engine error with a description holding every one
// of the texts given.
template <typename Fn>
void ExpectEngineError(Fn&& fn, std::initializer_list<std::string> texts) {
    try {
        fn();
        ADD_FAILURE() << "no engine error raised";
    } catch (const CEngineException& error) {
        for (const std::string& text : texts) {
            EXPECT_NE(error.GetDescription().find(text), std::string::npos)
                << "'" << text << "' not in: " << error.GetDescription();
        }
    }
}

// Names of the records of an index from the current one to the end.
std::vector<std::string> WalkNames(CEngineRecordset& rs) {
    std::vector<std::string> names;
    for (; !rs.IsEOF(); rs.MoveNext()) names.push_back(rs.GetText("Name"));
    return names;
}

class SampleProject : public ::testing::Test {
  protected:
    void SetUp() override {
        VD_REQUIRE_TESTDATA("mdb/sample-project.sql");
        m_strPath = m_dir.File("sample.db");
        BuildDatabase(m_strPath, test::SampleProjectSql());
        m_pDb = OpenDatabase(m_strPath);
        m_pHeadLines = m_pDb->CreateRecordset();
        m_pHeadLines->Open("HeadLines");
    }

    CTempDir m_dir;
    std::string m_strPath;
    std::unique_ptr<CEngineDatabase> m_pDb;
    std::unique_ptr<CEngineRecordset> m_pHeadLines;
};

TEST_F(SampleProject, SeeksOnOneAndTwoKeysAndOnTheLeadingKey) {
    CEngineRecordset& rs = *m_pHeadLines;
    rs.SetIndex("IDX");
    // The group alone finds its first heading in outline order, although the
    // rows were stored in reverse.
    ASSERT_TRUE(rs.Seek({10}));
    EXPECT_EQ(rs.GetText("Name"), "Welcome");
    EXPECT_EQ(rs.GetLong("Position"), 1);
    ASSERT_TRUE(rs.Seek({12, 3}));
    EXPECT_EQ(rs.GetLong("Number"), 303);
    EXPECT_FALSE(rs.Seek({13}));
    EXPECT_TRUE(rs.IsEOF());
    EXPECT_FALSE(rs.IsBOF());  // the table is not empty
    // A failed seek leaves no record to read or to move on from.
    ExpectEngineError([&] { (void)rs.GetLong("Number"); }, {"no current record"});
    ExpectEngineError([&] { (void)rs.GetBookmark(); }, {"no current record"});

    rs.SetIndex("IDXNAME");
    ASSERT_TRUE(rs.Seek({10, std::string("Replace")}));
    EXPECT_EQ(rs.GetLong("Number"), 123456);
    // Names compare as the index declares: ASCII letters without case, a
    // trailing blank counts, non-ASCII bytes exactly.
    ASSERT_TRUE(rs.Seek({10, std::string("toolbar")}));
    EXPECT_EQ(rs.GetText("Name"), "ToolBar");  // equal keys: stored first wins
    EXPECT_FALSE(rs.Seek({10, std::string("Options")}));
    ASSERT_TRUE(rs.Seek({10, std::string("Options ")}));
    EXPECT_EQ(rs.GetLong("Number"), 21);
    ASSERT_TRUE(rs.Seek({10, std::string("\xC3\x9C"
                                         "bersicht")}));
    EXPECT_EQ(rs.GetLong("Number"), 7);
    EXPECT_FALSE(rs.Seek({10, std::string("\xC3\xBC"
                                          "bersicht")}));
    EXPECT_FALSE(rs.Seek({11, std::string("Welcome")}));
}

TEST_F(SampleProject, WalksAnIndexInKeyThenStorageOrderAcrossGroups) {
    CEngineRecordset& rs = *m_pHeadLines;
    rs.SetIndex("IDX");
    ASSERT_TRUE(rs.Seek({10, 24}));
    EXPECT_EQ(WalkNames(rs),
              (std::vector<std::string>{"Index", "Contact", "Glossary", "Shortcut keys", "Hotspot",
                                        "Topic", "Popup window", "Jump", "Welcome", "New features",
                                        "Known issues"}));
    EXPECT_TRUE(rs.IsEOF());
    ExpectEngineError([&] { rs.MoveNext(); }, {"no current record", "HeadLines"});
    ExpectEngineError([&] { (void)rs.GetLong("Number"); }, {"no current record"});

    // Equal NOCASE keys stand in storage order: ToolBar (stored first), then
    // Toolbar, then the next name.
    rs.SetIndex("IDXNAME");
    ASSERT_TRUE(rs.Seek({10, std::string("TOOLBAR")}));
    rs.MoveNext();
    EXPECT_EQ(rs.GetText("Name"), "Toolbar");
    rs.MoveNext();
    EXPECT_EQ(rs.GetText("Name"), "Welcome");
    rs.MoveNext();
    EXPECT_EQ(rs.GetText("Name"),
              "\xC3\x9C"
              "bersicht");  // after Welcome under NOCASE
    rs.MoveNext();
    EXPECT_EQ(rs.GetText("Name"), "Glossary");  // group 11 follows
}

TEST_F(SampleProject, MoveFirstFollowsTheCurrentIndex) {
    CEngineRecordset& rs = *m_pHeadLines;
    rs.MoveFirst();  // no index: storage order
    EXPECT_EQ(rs.GetText("Name"), "Known issues");
    rs.SetIndex("IDX");
    rs.MoveFirst();
    EXPECT_EQ(rs.GetText("Name"), "Welcome");
    EXPECT_EQ(rs.GetLong("Idx"), 10);
    rs.SetIndex("IDXNAME");
    rs.MoveFirst();
    EXPECT_EQ(rs.GetText("Name"), "Buttons");
}

TEST_F(SampleProject, BookmarkKeepsTheRecordAcrossIndexChanges) {
    CEngineRecordset& rs = *m_pHeadLines;
    rs.SetIndex("IDXNAME");
    ASSERT_TRUE(rs.Seek({10, std::string("Installing")}));
    const CBookmark mark = rs.GetBookmark();
    rs.SetIndex("IDX");
    rs.MoveFirst();
    rs.SetBookmark(mark);
    EXPECT_EQ(rs.GetText("Name"), "Installing");
    // Moves now follow the outline order from the bookmarked record.
    rs.MoveNext();
    EXPECT_EQ(rs.GetText("Name"), "System requirements");
    rs.MoveNext();
    EXPECT_EQ(rs.GetText("Name"), "Setup options");

    ExpectEngineError([&] { rs.SetBookmark(CBookmark{987654}); }, {"bookmark", "HeadLines"});
}

TEST_F(SampleProject, ErrorsNameTheTableIndexOrFieldConcerned) {
    CEngineRecordset& rs = *m_pHeadLines;
    ExpectEngineError([&] { rs.SetIndex("IDXMISSING"); },
                      {"IDXMISSING", "HeadLines_IDXMISSING", "HeadLines", m_strPath});
    ExpectEngineError([&] { (void)rs.Seek({10}); }, {"needs an index", "HeadLines"});
    rs.SetIndex("IDX");
    ExpectEngineError([&] { (void)rs.Seek({10, 1, 1}); }, {"3 key values", "2 key fields"});
    ASSERT_TRUE(rs.Seek({10}));
    ExpectEngineError([&] { (void)rs.GetLong("Missing"); }, {"no field 'Missing'", "HeadLines"});
    ExpectEngineError([&] { (void)rs.GetLong("Name"); }, {"'Name'", "not an integer"});
    ExpectEngineError([&] { (void)rs.GetText("Number"); }, {"'Number'", "not text"});
    // Field names compare without regard to case, as table names do.
    EXPECT_EQ(rs.GetLong("nUmBeR"), 1);

    auto pOther = m_pDb->CreateRecordset();
    ExpectEngineError([&] { pOther->Open("Chapters"); }, {"no table 'Chapters'", m_strPath});
    EXPECT_FALSE(pOther->IsOpen());
    pOther->Open("compilestamm");
    EXPECT_TRUE(pOther->IsOpen());
}

TEST_F(SampleProject, OpensReadOnlyAndLeavesTheFileUnchanged) {
    const auto before = test::ReadBytes(m_strPath);
    CEngineRecordset& rs = *m_pHeadLines;
    rs.SetIndex("IDX");
    ASSERT_TRUE(rs.Seek({10}));
    while (!rs.IsEOF()) rs.MoveNext();
    m_pHeadLines.reset();
    m_pDb.reset();
    ShutdownEngine();
    EXPECT_EQ(test::ReadBytes(m_strPath), before);
}

TEST(SqliteStore, OpeningFailuresNameTheFile) {
    CTempDir dir;
    const std::string strMissing = dir.File("missing.db");
    ExpectEngineError([&] { OpenDatabase(strMissing); }, {strMissing});

    const std::string strText = dir.File("notes.db");
    test::WriteText(strText, "just some text, not a database\n");
    ExpectEngineError([&] { OpenDatabase(strText); }, {strText});

    // An SQLite signature in front of garbage.
    std::vector<std::uint8_t> bytes(4096, 0xAB);
    const char kSignature[] = "SQLite format 3";
    std::copy(kSignature, kSignature + sizeof kSignature, bytes.begin());
    const std::string strBroken = dir.File("broken.db");
    test::WriteBytes(strBroken, bytes);
    ExpectEngineError([&] { OpenDatabase(strBroken); }, {strBroken});
}

TEST(SqliteStore, ReportsNullAndOutOfRangeValuesAndEmptyTables) {
    CTempDir dir;
    const std::string strPath = dir.File("odd.db");
    BuildDatabase(strPath,
                  "CREATE TABLE T (Idx INTEGER, Name TEXT, Big INTEGER);"
                  "CREATE INDEX T_IDX ON T(Idx);"
                  "CREATE INDEX T_IDXDOWN ON T(Idx DESC);"
                  "CREATE TABLE E (Idx INTEGER);"
                  "CREATE INDEX E_IDX ON E(Idx);"
                  "INSERT INTO T VALUES (NULL, NULL, 4294967296);"
                  "INSERT INTO T VALUES (1, 'one', -2147483648);");
    auto pDb = OpenDatabase(strPath);
    auto pT = pDb->CreateRecordset();
    pT->Open("T");
    pT->SetIndex("IDX");
    pT->MoveFirst();  // NULL keys come first
    ExpectEngineError([&] { (void)pT->GetLong("Idx"); }, {"'Idx'", "NULL", "'T'"});
    ExpectEngineError([&] { (void)pT->GetText("Name"); }, {"'Name'", "NULL"});
    ExpectEngineError([&] { (void)pT->GetLong("Big"); }, {"'Big'", "32 bits"});
    ExpectEngineError([&] { pT->MoveNext(); }, {"NULL"});
    ASSERT_TRUE(pT->Seek({1}));
    EXPECT_EQ(pT->GetLong("Big"), -2147483647 - 1);
    ExpectEngineError([&] { pT->SetIndex("IDXDOWN"); }, {"descending"});

    // An empty table: before the first and after the last record at once,
    // seeks find nothing, a move is an error.
    auto pE = pDb->CreateRecordset();
    pE->Open("E");
    EXPECT_TRUE(pE->IsBOF());
    EXPECT_TRUE(pE->IsEOF());
    pE->SetIndex("IDX");
    EXPECT_FALSE(pE->Seek({1}));
    EXPECT_TRUE(pE->IsBOF() && pE->IsEOF());
    pE->MoveFirst();
    EXPECT_TRUE(pE->IsBOF() && pE->IsEOF());
    ExpectEngineError([&] { pE->MoveNext(); }, {"no current record", "'E'"});
}

TEST(SqliteStore, RecordsetsOutliveAClosedDatabaseSafely) {
    CTempDir dir;
    const std::string strPath = dir.File("project.db");
    ASSERT_TRUE(CreateProjectDatabase(
        strPath, {"INSERT INTO CompileStamm VALUES (1, 'htm', 'index.htm');"}));
    auto pDb = OpenDatabase(strPath);
    auto pRs = pDb->CreateRecordset();
    pRs->Open("CompileStamm");
    pDb->Close();
    EXPECT_FALSE(pDb->IsOpen());
    ExpectEngineError([&] { (void)pDb->CreateRecordset(); }, {"not open"});
    // The recordset still reads; the connection goes with the last user.
    pRs->SetIndex("IDX");
    ASSERT_TRUE(pRs->Seek({1}));
    EXPECT_EQ(pRs->GetText("StartPage"), "index.htm");
    pDb.reset();
    pRs->Close();
    EXPECT_FALSE(pRs->IsOpen());
    ExpectEngineError([&] { pRs->MoveFirst(); }, {"not open"});
}

// A host that writes the file: answers the SQLite result of one insert,
// without waiting for locks.
int HostWrites(const std::string& strPath) {
    sqlite3* pDb = nullptr;
    sqlite3_open(strPath.c_str(), &pDb);
    const int rc = sqlite3_exec(pDb, "INSERT INTO CompileStamm VALUES (9, 'x', 'y');", nullptr,
                                nullptr, nullptr);
    sqlite3_close(pDb);
    return rc;
}

TEST(SqliteStore, HoldsTheFileOnlyWhileReading) {
    CTempDir dir;
    const std::string strPath = dir.File("project.db");
    ASSERT_TRUE(CreateProjectDatabase(
        strPath, {"INSERT INTO CompileStamm VALUES (1, 'htm', 'index.htm');"}));
    auto pDb = OpenDatabase(strPath);
    auto pRs = pDb->CreateRecordset();
    pRs->Open("CompileStamm");
    pRs->SetIndex("IDX");
    ASSERT_TRUE(pRs->Seek({1}));
    // Between operations the host may write.
    EXPECT_EQ(HostWrites(strPath), SQLITE_OK);
    {
        CReadingScope outer(pDb.get());
        CReadingScope inner(pDb.get());  // scopes nest
        ASSERT_TRUE(pRs->Seek({9}));
        EXPECT_EQ(HostWrites(strPath), SQLITE_BUSY);
    }
    EXPECT_EQ(HostWrites(strPath), SQLITE_OK);
    // A scope on a closed database, or on none, does nothing.
    pDb->Close();
    { CReadingScope closed(pDb.get()); }
    { CReadingScope none(nullptr); }
}

// Walking a large group takes one indexed search per move; the walk must
// visit every record once, in key order, whatever the storage order.
TEST(SqliteStore, WalksEveryRecordOfALargeShuffledTableInKeyOrder) {
    CTempDir dir;
    const std::string strPath = dir.File("large.db");
    std::string strSql = "BEGIN;";
    strSql += kProjectSchemaSql;
    // 3 groups of 700 headings, stored in a scrambled order, with runs of
    // duplicate names.
    for (int i = 0; i < 2100; ++i) {
        const int n = (i * 733) % 2100;
        const int nGroup = n / 700;
        const int nPosition = n % 700;
        strSql += "INSERT INTO HeadLines VALUES (" + std::to_string(nGroup) + ", " +
                  std::to_string(nPosition) + ", 'h" + std::to_string(nPosition / 3) + "', " +
                  std::to_string(n) + ", 1);";
    }
    strSql += "COMMIT;";
    BuildDatabase(strPath, strSql);
    auto pDb = OpenDatabase(strPath);
    auto pRs = pDb->CreateRecordset();
    pRs->Open("HeadLines");
    pRs->SetIndex("IDX");
    pRs->MoveFirst();
    int nExpected = 0;
    for (; !pRs->IsEOF(); pRs->MoveNext()) {
        ASSERT_EQ(pRs->GetLong("Number"), nExpected);
        ++nExpected;
    }
    EXPECT_EQ(nExpected, 2100);

    // Duplicate names stand in storage order: h10 (positions 30 to 32), then
    // h100 (positions 300 to 302), all of group 1.
    std::vector<int> storageOrder(2100);
    for (int i = 0; i < 2100; ++i) storageOrder[static_cast<std::size_t>((i * 733) % 2100)] = i;
    auto byStorage = [&](std::vector<int> numbers) {
        std::sort(numbers.begin(), numbers.end(), [&](int a, int b) {
            return storageOrder[static_cast<std::size_t>(a)] <
                   storageOrder[static_cast<std::size_t>(b)];
        });
        return numbers;
    };
    std::vector<int> expected = byStorage({730, 731, 732});
    const std::vector<int> next = byStorage({1000, 1001, 1002});
    expected.insert(expected.end(), next.begin(), next.end());
    pRs->SetIndex("IDXNAME");
    ASSERT_TRUE(pRs->Seek({1, std::string("h10")}));
    std::vector<int> numbers;
    for (int i = 0; i < 6; ++i, pRs->MoveNext()) numbers.push_back(pRs->GetLong("Number"));
    EXPECT_EQ(numbers, expected);
}

}  // namespace
}  // namespace vd
