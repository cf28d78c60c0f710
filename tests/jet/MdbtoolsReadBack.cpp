#include "tests/jet/MdbtoolsReadBack.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>

#include "tests/TestSupport.h"

namespace vd::test::jet {
namespace {

// The standard output of a shell command.
std::string Run(const std::string& strCommand) {
    std::string out;
    const std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(strCommand.c_str(), "r"), pclose);
    if (!pipe) return out;
    char buffer[65536];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0) out.append(buffer, n);
    return out;
}

std::string Quoted(const std::string& text) { return "'" + text + "'"; }

using CRecord = std::vector<std::string>;

// Comma-separated records; a quoted field may hold commas, doubled quotes
// and line ends.
std::vector<CRecord> ParseCsv(const std::string& text) {
    std::vector<CRecord> records;
    CRecord record;
    std::string field;
    bool bQuoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (bQuoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                bQuoted = false;
            } else {
                field += c;
            }
        } else if (c == '"') {
            bQuoted = true;
        } else if (c == ',') {
            record.push_back(std::move(field));
            field.clear();
        } else if (c == '\n') {
            record.push_back(std::move(field));
            field.clear();
            records.push_back(std::move(record));
            record.clear();
        } else {
            field += c;
        }
    }
    return records;
}

bool IsCompared(std::uint8_t nType) { return nType <= 0x04 || nType == 0x0a || nType == 0x0c; }

// The records mdb-export should give: a header, then the live rows; NULL
// and empty text are both an empty field, Yes/No is 1 or 0.
std::vector<CRecord> Expected(const CTableDef& table) {
    std::vector<CRecord> records;
    CRecord header;
    for (const CColumnDef& column : table.columns) header.push_back(column.strName);
    records.push_back(header);
    for (const CRowDef& row : table.rows) {
        if (row.bDeleted) continue;
        CRecord record;
        const std::size_t nStored = row.nStoredColumns < 0
                                        ? table.columns.size()
                                        : static_cast<std::size_t>(row.nStoredColumns);
        for (std::size_t c = 0; c < table.columns.size(); ++c) {
            const std::uint8_t nType = table.columns[c].nType;
            const CCell cell = c < row.cells.size() && c < nStored ? row.cells[c] : CCell{};
            std::string field;
            if (!IsCompared(nType)) {
                field = "*";
            } else if (const auto* pText = std::get_if<std::string>(&cell)) {
                field = *pText;
            } else if (const auto* pNumber = std::get_if<std::int32_t>(&cell)) {
                field = nType == 0x01 ? (*pNumber != 0 ? "1" : "0") : std::to_string(*pNumber);
            } else if (nType == 0x01) {
                field = "0";
            }
            record.push_back(field);
        }
        records.push_back(record);
    }
    return records;
}

}  // namespace

void ExpectMdbtoolsReadBack(const std::string& strPath, const std::vector<CTableDef>& tables) {
    std::string strNames;
    for (const CTableDef& table : tables) strNames += table.strName + "\n";
    EXPECT_EQ(Run("mdb-tables -1 " + Quoted(strPath) + " 2>&1"), strNames);

    const std::string strSchema = Run("mdb-schema " + Quoted(strPath) + " 2>&1");
    for (const CTableDef& table : tables) {
        const std::string strCreate = "CREATE TABLE [" + table.strName + "]";
        const std::size_t nAt = strSchema.find(strCreate);
        ASSERT_NE(nAt, std::string::npos) << strCreate << "\n" << strSchema;
        for (const CColumnDef& column : table.columns) {
            EXPECT_NE(strSchema.find("[" + column.strName + "]", nAt), std::string::npos)
                << column.strName;
        }

        std::vector<CRecord> actual =
            ParseCsv(Run("mdb-export " + Quoted(strPath) + " " + Quoted(table.strName) + " 2>&1"));
        std::vector<CRecord> expected = Expected(table);
        ASSERT_FALSE(actual.empty()) << table.strName;
        for (CRecord& record : actual) {
            for (std::size_t c = 0; c < record.size() && c < table.columns.size(); ++c) {
                if (!IsCompared(table.columns[c].nType) && &record != &actual.front()) {
                    record[c] = "*";
                }
            }
        }
        EXPECT_EQ(actual.front(), expected.front()) << table.strName;
        // A moved row stands where its new place is; compare in any order.
        std::sort(actual.begin() + 1, actual.end());
        std::sort(expected.begin() + 1, expected.end());
        EXPECT_EQ(actual.size(), expected.size()) << table.strName;
        EXPECT_TRUE(actual == expected) << "mdb-export gives other rows of " << table.strName;
    }
}

void WriteCheckedJetDatabase(const std::string& strPath, const std::vector<CTableDef>& tables) {
    WriteBytes(strPath, BuildJetDatabase(tables));
    ExpectMdbtoolsReadBack(strPath, tables);
}

}  // namespace vd::test::jet
