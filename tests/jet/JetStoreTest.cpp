// The Jet store on built files: the value forms the fixtures do not show
// (NULL and empty text, Memo values, compressed text, small integer types),
// deleted and moved rows, rows older than a column, descending and NULL
// keys, large tables, long definitions, and damaged files.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "projectdb/Engine.h"
#include "projectdb/JetFile.h"
#include "projectdb/JetTable.h"
#include "tests/TestSupport.h"
#include "tests/jet/JetBuilder.h"
#include "tests/jet/MdbtoolsReadBack.h"

namespace vd {
namespace {

using test::CTempDir;
using test::jet::BuildJetDatabase;
using test::jet::CCell;
using test::jet::CColumnDef;
using test::jet::CIndexDef;
using test::jet::CRowDef;
using test::jet::CTableDef;
using test::jet::EMemoForm;
using test::jet::Rows;

constexpr std::uint8_t kBool = 0x01, kByte = 0x02, kInt = 0x03, kLong = 0x04, kText = 0x0a,
                       kMemo = 0x0c;
const CCell kNull{};

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

// Writes the built file and opens it through the engine.
class BuiltDatabase : public ::testing::Test {
  protected:
    std::unique_ptr<CEngineDatabase> Open(const std::vector<CTableDef>& tables) {
        m_strPath = m_dir.File("built.mdb");
        test::jet::WriteCheckedJetDatabase(m_strPath, tables);
        auto pDb = CreateEngineDatabase();
        pDb->Open(m_strPath);
        return pDb;
    }
    std::unique_ptr<CEngineRecordset> OpenTable(const std::vector<CTableDef>& tables,
                                                const std::string& strTable) {
        m_pDb = Open(tables);
        auto pRs = m_pDb->CreateRecordset();
        pRs->Open(strTable);
        return pRs;
    }

    CTempDir m_dir;
    std::string m_strPath;
    std::unique_ptr<CEngineDatabase> m_pDb;
};

CTableDef ValuesTable() {
    CTableDef table;
    table.strName = "Values";
    table.columns = {{"Id", kLong},   {"Name", kText}, {"Note", kMemo},
                     {"Count", kInt}, {"Flag", kBool}, {"Small", kByte}};
    table.indexes = {{"IDX", {"Id"}}};
    table.rows = Rows({
        {std::int32_t{1}, std::string(), kNull, kNull, std::int32_t{1}, std::int32_t{7}},
        {std::int32_t{2}, kNull, std::string(), std::int32_t{-5}, std::int32_t{0},
         std::int32_t{255}},
        {std::int32_t{3}, std::string("x"), std::string("memo"), std::int32_t{32767},
         std::int32_t{1}, kNull},
    });
    return table;
}

TEST_F(BuiltDatabase, NullIsKeptApartFromEmptyText) {
    auto pRs = OpenTable({ValuesTable()}, "Values");
    pRs->SetIndex("IDX");
    ASSERT_TRUE(pRs->Seek({1}));
    EXPECT_EQ(pRs->GetText("Name"), "");
    EXPECT_NE(EngineError([&] { pRs->GetText("Note"); }).find("NULL"), std::string::npos);
    EXPECT_NE(EngineError([&] { pRs->GetLong("Count"); }).find("'Count'"), std::string::npos);
    EXPECT_EQ(pRs->GetLong("Flag"), 1);
    EXPECT_EQ(pRs->GetLong("Small"), 7);
    ASSERT_TRUE(pRs->Seek({2}));
    EXPECT_NE(EngineError([&] { pRs->GetText("Name"); }).find("NULL"), std::string::npos);
    EXPECT_EQ(pRs->GetText("Note"), "");
    EXPECT_EQ(pRs->GetLong("Count"), -5);
    EXPECT_EQ(pRs->GetLong("Flag"), 0);
    EXPECT_EQ(pRs->GetLong("Small"), 255);
    ASSERT_TRUE(pRs->Seek({3}));
    EXPECT_EQ(pRs->GetText("Name"), "x");
    EXPECT_EQ(pRs->GetText("Note"), "memo");
    EXPECT_EQ(pRs->GetLong("Count"), 32767);
    EXPECT_NE(EngineError([&] { pRs->GetLong("Small"); }).find("NULL"), std::string::npos);
}

TEST_F(BuiltDatabase, CompressedTextAndEveryFormOfMemoReadBack) {
    std::string strLong;
    for (int i = 0; i < 700; ++i) strLong += "Zeile " + std::to_string(i) + " \xC3\xA4\xCE\xA9 ";
    CTableDef table;
    table.strName = "Texts";
    table.columns = {{"Id", kLong},
                     {"Mask", kText, 0, true},
                     {"Inline", kMemo},
                     {"Single", kMemo, 0, true, EMemoForm::singlePage},
                     {"Chained", kMemo, 0, false, EMemoForm::chain}};
    table.indexes = {{"IDX", {"Id"}}};
    const std::string strMixed =
        "Gr\xC3\xBC\xC3\x9F"
        "e \xCE\xA9 ok";  // Grüße Ω ok
    table.rows = Rows({
        {std::int32_t{1}, std::string("*.gif"), std::string("short"), strMixed, strLong},
        {std::int32_t{2}, strMixed, strMixed, std::string(1500, 'a'), std::string("ab")},
    });
    auto pRs = OpenTable({table}, "Texts");
    pRs->SetIndex("IDX");
    ASSERT_TRUE(pRs->Seek({1}));
    EXPECT_EQ(pRs->GetText("Mask"), "*.gif");
    EXPECT_EQ(pRs->GetText("Inline"), "short");
    EXPECT_EQ(pRs->GetText("Single"), strMixed);
    EXPECT_EQ(pRs->GetText("Chained"), strLong);
    ASSERT_TRUE(pRs->Seek({2}));
    EXPECT_EQ(pRs->GetText("Mask"), strMixed);
    EXPECT_EQ(pRs->GetText("Inline"), strMixed);
    EXPECT_EQ(pRs->GetText("Single"), std::string(1500, 'a'));
    EXPECT_EQ(pRs->GetText("Chained"), "ab");
}

// "n" followed by the number.
std::string NameOf(int n) {
    std::string strName = std::to_string(n);
    strName.insert(strName.begin(), 'n');
    return strName;
}

CTableDef NumberedTable(int nRows) {
    CTableDef table;
    table.strName = "Numbers";
    table.columns = {{"Id", kLong}, {"Name", kText}};
    table.indexes = {{"IDX", {"Id"}}, {"IDXNAME", {"Name"}}};
    for (int i = 1; i <= nRows; ++i) {
        table.rows.push_back(CRowDef{{std::int32_t{i}, NameOf(i)}});
    }
    return table;
}

std::vector<std::int32_t> WalkIds(CEngineRecordset& rs) {
    std::vector<std::int32_t> ids;
    for (rs.MoveFirst(); !rs.IsEOF(); rs.MoveNext()) ids.push_back(rs.GetLong("Id"));
    return ids;
}

TEST_F(BuiltDatabase, DeletedRowsAreSkippedAndMovedRowsFollowed) {
    CTableDef table = NumberedTable(5);
    table.rows[1].bDeleted = true;
    table.rows[3].bMoved = true;
    auto pRs = OpenTable({table}, "Numbers");
    EXPECT_EQ(WalkIds(*pRs), (std::vector<std::int32_t>{1, 3, 4, 5}));
    pRs->SetIndex("IDX");
    EXPECT_FALSE(pRs->Seek({2}));
    ASSERT_TRUE(pRs->Seek({4}));
    EXPECT_EQ(pRs->GetText("Name"), "n4");
}

TEST_F(BuiltDatabase, ARowOlderThanAColumnReadsNullThere) {
    CTableDef table;
    table.strName = "Grown";
    table.columns = {{"Id", kLong}, {"Name", kText}, {"Added", kLong}, {"Label", kText}};
    table.rows = Rows({{std::int32_t{1}, std::string("old"), std::int32_t{9}, std::string("z")},
                       {std::int32_t{2}, std::string("new"), std::int32_t{8}, std::string("y")}});
    table.rows[0].nStoredColumns = 2;
    auto pRs = OpenTable({table}, "Grown");
    pRs->MoveFirst();
    EXPECT_EQ(pRs->GetText("Name"), "old");
    EXPECT_NE(EngineError([&] { pRs->GetLong("Added"); }).find("NULL"), std::string::npos);
    EXPECT_NE(EngineError([&] { pRs->GetText("Label"); }).find("NULL"), std::string::npos);
    pRs->MoveNext();
    EXPECT_EQ(pRs->GetLong("Added"), 8);
    EXPECT_EQ(pRs->GetText("Label"), "y");
}

TEST_F(BuiltDatabase, DescendingKeysAndNullKeysKeepTheirPlace) {
    CTableDef table;
    table.strName = "Scores";
    table.columns = {{"Id", kLong}, {"Score", kLong}, {"Name", kText}};
    table.indexes = {{"BYSCORE", {"-Score", "Name"}}, {"BYNAME", {"Name"}}};
    table.rows = Rows({{std::int32_t{1}, std::int32_t{5}, std::string("b")},
                       {std::int32_t{2}, kNull, std::string("a")},
                       {std::int32_t{3}, std::int32_t{9}, kNull},
                       {std::int32_t{4}, std::int32_t{5}, std::string("A")},
                       {std::int32_t{5}, std::int32_t{7}, std::string("c")}});
    auto pRs = OpenTable({table}, "Scores");
    pRs->SetIndex("BYSCORE");
    // Descending scores, NULL (first in ascending order) last; equal names
    // in storage order.
    EXPECT_EQ(WalkIds(*pRs), (std::vector<std::int32_t>{3, 5, 4, 1, 2}));
    ASSERT_TRUE(pRs->Seek({5}));
    EXPECT_EQ(pRs->GetLong("Id"), 4);
    ASSERT_TRUE(pRs->Seek({5, "B"}));
    EXPECT_EQ(pRs->GetLong("Id"), 1);
    EXPECT_FALSE(pRs->Seek({6}));
    pRs->SetIndex("BYNAME");
    EXPECT_EQ(WalkIds(*pRs), (std::vector<std::int32_t>{3, 2, 4, 1, 5}));
    ASSERT_TRUE(pRs->Seek({"a"}));
    EXPECT_EQ(pRs->GetLong("Id"), 2);
}

TEST_F(BuiltDatabase, NamedIndexesSharingAPhysicalIndexMapThroughTheirEntries) {
    CTableDef table;
    table.strName = "HeadLines";
    table.columns = {{"Idx", kLong}, {"Position", kLong}, {"Name", kText}};
    table.indexes = {{"IDXNAME", {"Idx", "Name"}, 1},
                     {"IDXGROUP", {"Idx", "Position"}, 0},
                     {"IDX", {"Idx", "Position"}, 0},
                     {"BYNAME", {"Idx", "Name"}, 1}};
    table.rows = Rows({{std::int32_t{1}, std::int32_t{2}, std::string("a")},
                       {std::int32_t{1}, std::int32_t{1}, std::string("b")}});
    test::jet::WriteCheckedJetDatabase(m_dir.File("shared.mdb"), {table});
    jet::CJetFile file(std::make_unique<jet::CMemoryPageSource>(BuildJetDatabase({table})));
    const auto def = file.ReadDefinition(file.FindTable("HeadLines")->nDefinitionPage);
    ASSERT_EQ(def.indexes.size(), 4u);
    auto keys = [&](std::size_t i) {
        std::string text;
        for (const auto& key : def.indexes[i].keys) text += def.columns[key.nColumn].strName + ",";
        return text;
    };
    EXPECT_EQ(def.indexes[0].strName + ":" + keys(0), "IDXNAME:Idx,Name,");
    EXPECT_EQ(def.indexes[1].strName + ":" + keys(1), "IDXGROUP:Idx,Position,");
    EXPECT_EQ(def.indexes[2].strName + ":" + keys(2), "IDX:Idx,Position,");
    EXPECT_EQ(def.indexes[3].strName + ":" + keys(3), "BYNAME:Idx,Name,");
}

TEST_F(BuiltDatabase, LargeTablesWithMapPagesLoadWholeAndSeekEveryKey) {
    CTableDef table = NumberedTable(3000);
    table.bMapPages = true;
    std::shuffle(table.rows.begin(), table.rows.end(), std::mt19937(7));
    auto pRs = OpenTable({table}, "Numbers");
    pRs->SetIndex("IDX");
    const std::vector<std::int32_t> ids = WalkIds(*pRs);
    ASSERT_EQ(ids.size(), 3000u);
    EXPECT_TRUE(std::is_sorted(ids.begin(), ids.end()));
    for (std::int32_t i = 1; i <= 3000; ++i) {
        ASSERT_TRUE(pRs->Seek({i}));
        ASSERT_EQ(pRs->GetText("Name"), NameOf(i));
    }
    pRs->SetIndex("IDXNAME");
    ASSERT_TRUE(pRs->Seek({"N2999"}));
    EXPECT_EQ(pRs->GetLong("Id"), 2999);
}

TEST_F(BuiltDatabase, ADefinitionOverSeveralPagesIsRead) {
    CTableDef table;
    table.strName = "Wide";
    for (int i = 0; i < 120; ++i) {
        table.columns.push_back({"ColumnWithAVeryLongDescriptiveName" + std::to_string(i), kLong});
    }
    table.indexes = {{"IDXLAST", {"ColumnWithAVeryLongDescriptiveName119"}}};
    table.rows.resize(1);
    for (int i = 0; i < 120; ++i) table.rows[0].cells.emplace_back(std::int32_t{i * 3});
    auto pRs = OpenTable({table}, "Wide");
    pRs->SetIndex("IDXLAST");
    ASSERT_TRUE(pRs->Seek({357}));
    EXPECT_EQ(pRs->GetLong("ColumnWithAVeryLongDescriptiveName77"), 231);
}

TEST_F(BuiltDatabase, TablesAreSharedAndOutliveTheirDatabase) {
    auto pDb = Open({NumberedTable(3)});
    auto pFirst = pDb->CreateRecordset();
    auto pSecond = pDb->CreateRecordset();
    pFirst->Open("numbers");
    pSecond->Open("NUMBERS");
    pFirst->SetIndex("IDX");
    pSecond->SetIndex("IDXNAME");
    ASSERT_TRUE(pFirst->Seek({2}));
    ASSERT_TRUE(pSecond->Seek({"n3"}));
    EXPECT_EQ(pFirst->GetText("Name"), "n2");
    pDb->Close();
    EXPECT_FALSE(pDb->IsOpen());
    EXPECT_EQ(pSecond->GetLong("Id"), 3);
    auto pThird = std::move(pFirst);
    EXPECT_NE(EngineError([&] { pThird->Open("Numbers"); }).find("closed"), std::string::npos);
    EXPECT_NE(EngineError([&] { pDb->CreateRecordset(); }).find("not open"), std::string::npos);
}

TEST_F(BuiltDatabase, AnEmptyTableIsAtBothEnds) {
    CTableDef table = NumberedTable(0);
    auto pRs = OpenTable({table}, "Numbers");
    EXPECT_TRUE(pRs->IsBOF());
    EXPECT_TRUE(pRs->IsEOF());
    pRs->SetIndex("IDX");
    EXPECT_FALSE(pRs->Seek({1}));
    EXPECT_NE(EngineError([&] { pRs->MoveNext(); }).find("No current record"), std::string::npos);
}

// Loads every table of an image held in memory; answers how it ended.
std::string LoadAll(std::vector<std::uint8_t> bytes) {
    try {
        jet::CJetFile file(std::make_unique<jet::CMemoryPageSource>(std::move(bytes)));
        for (const auto& entry : file.GetCatalog()) {
            if (!entry.IsTable()) continue;
            const jet::CJetTable table(file.LoadTable(entry), "image");
            for (const auto& index : table.GetContents().definition.indexes) {
                table.GetOrder(index.strName);
            }
        }
        return "ok";
    } catch (const jet::CJetFormatError& error) {
        return std::string("format: ") + error.what();
    } catch (const CEngineException& error) {
        return "engine: " + error.GetDescription();
    }
}

TEST_F(BuiltDatabase, DamagedStructuresRaiseErrorsNamingTheTable) {
    CTableDef table = NumberedTable(20);
    table.columns.push_back({"Note", kMemo, 0, false, EMemoForm::singlePage});
    for (auto& row : table.rows) row.cells.push_back(std::string("some note"));
    const std::vector<std::uint8_t> good = BuildJetDatabase({table});
    ASSERT_EQ(LoadAll(good), "ok");
    test::jet::WriteCheckedJetDatabase(m_dir.File("good.mdb"), {table});
    const std::size_t nDef = 3 * 4096;  // the table's definition follows the catalog's

    auto damaged = [&](std::size_t nOffset, std::vector<std::uint8_t> bytes) {
        std::vector<std::uint8_t> image = good;
        std::copy(bytes.begin(), bytes.end(), image.begin() + static_cast<std::ptrdiff_t>(nOffset));
        return image;
    };
    // Column and index counts far beyond the definition's bytes.
    EXPECT_NE(LoadAll(damaged(nDef + 45, {0xFF, 0x7F})).find("format"), std::string::npos);
    EXPECT_NE(LoadAll(damaged(nDef + 47, {0xFF, 0xFF, 0xFF, 0x7F})).find("format"),
              std::string::npos);
    // A definition whose continuation points back at itself.
    EXPECT_NE(LoadAll(damaged(nDef + 4, {3, 0, 0, 0})).find("loop"), std::string::npos);
    // A usage map pointer to a page beyond the file.
    EXPECT_NE(LoadAll(damaged(nDef + 55, {0, 0, 0xFF, 0x00})).find("beyond"), std::string::npos);
    // An index key naming a column that does not exist.
    EXPECT_NE(
        LoadAll(damaged(nDef + 63 + 2 * 12 + 3 * 25 + (6 + 10 + 10) + 4, {9, 0})).find("column"),
        std::string::npos);
    // The file cut after the catalog.
    std::vector<std::uint8_t> cut(good.begin(), good.begin() + 4 * 4096 + 100);
    EXPECT_NE(LoadAll(cut).find("format"), std::string::npos);

    // Through the engine the description names the file and the table.
    std::vector<std::uint8_t> image = damaged(nDef + 45, {0xFF, 0x7F});
    test::WriteBytes(m_dir.File("damaged.mdb"), image);
    auto pDb = CreateEngineDatabase();
    pDb->Open(m_dir.File("damaged.mdb"));
    auto pRs = pDb->CreateRecordset();
    const std::string strError = EngineError([&] { pRs->Open("Numbers"); });
    EXPECT_NE(strError.find("damaged"), std::string::npos) << strError;
    EXPECT_NE(strError.find("'Numbers'"), std::string::npos) << strError;
    EXPECT_NE(strError.find("damaged.mdb"), std::string::npos) << strError;
}

TEST(JetDamage, RandomDamageToTheFixturesNeverCrashes) {
    VD_REQUIRE_TESTDATA("mdb/sample-project.mdb");
    for (const char* pszName : {"sample-project.mdb", "shared-index.mdb"}) {
        const std::vector<std::uint8_t> original =
            test::ReadBytes(test::TestDataDir() / "mdb" / pszName);
        ASSERT_EQ(LoadAll(original), "ok");
        std::mt19937 random(20240101);
        std::uniform_int_distribution<std::size_t> page(2, original.size() / 4096 - 1);
        std::uniform_int_distribution<std::size_t> offset(0, 4095);
        std::uniform_int_distribution<int> value(0, 255);
        for (int nRound = 0; nRound < 300; ++nRound) {
            std::vector<std::uint8_t> bytes = original;
            const std::size_t nPage = page(random);
            for (int k = 0; k < 1 + nRound % 8; ++k) {
                bytes[nPage * 4096 + offset(random)] = static_cast<std::uint8_t>(value(random));
            }
            const std::string strResult = LoadAll(std::move(bytes));
            EXPECT_TRUE(strResult == "ok" || strResult.rfind("format: ", 0) == 0 ||
                        strResult.rfind("engine: ", 0) == 0)
                << strResult;
        }
    }
}

}  // namespace
}  // namespace vd
