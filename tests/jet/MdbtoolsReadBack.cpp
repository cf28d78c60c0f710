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

// Comma-separated records, one after another; a quoted field may hold
// commas, doubled quotes and line ends.
class CCsvReader {
  public:
    explicit CCsvReader(const std::string& text) : m_text(text) {}
    bool Next(CRecord& record) {
        record.clear();
        if (m_nPos >= m_text.size()) return false;
        std::string field;
        bool bQuoted = false;
        for (; m_nPos < m_text.size(); ++m_nPos) {
            const char c = m_text[m_nPos];
            if (bQuoted) {
                if (c == '"' && m_nPos + 1 < m_text.size() && m_text[m_nPos + 1] == '"') {
                    field += '"';
                    ++m_nPos;
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
                ++m_nPos;
                break;
            } else {
                field += c;
            }
        }
        record.push_back(std::move(field));
        return true;
    }

  private:
    const std::string& m_text;
    std::size_t m_nPos = 0;
};

bool IsCompared(std::uint8_t nType) { return nType <= 0x04 || nType == 0x0a || nType == 0x0c; }

CRecord Header(const CTableDef& table) {
    CRecord header;
    for (const CColumnDef& column : table.columns) header.push_back(column.strName);
    return header;
}

// The record mdb-export should give for a row: NULL and empty text are both
// an empty field, Yes/No is 1 or 0, fields of other types are "*".
CRecord Expected(const CTableDef& table, const CRowDef& row) {
    CRecord record;
    const std::size_t nStored = row.nStoredColumns < 0
                                    ? table.columns.size()
                                    : static_cast<std::size_t>(row.nStoredColumns);
    for (std::size_t c = 0; c < table.columns.size(); ++c) {
        const std::uint8_t nType = table.columns[c].nType;
        const CCell cell = c < row.cells.size() && c < nStored ? row.cells[c] : CCell{};
        const auto* pText = std::get_if<std::string>(&cell);
        const auto* pNumber = std::get_if<std::int32_t>(&cell);
        if (!IsCompared(nType)) {
            record.emplace_back("*");
        } else if (pText != nullptr) {
            record.push_back(*pText);
        } else if (pNumber != nullptr && nType == 0x01) {
            record.emplace_back(*pNumber != 0 ? "1" : "0");
        } else if (pNumber != nullptr) {
            record.push_back(std::to_string(*pNumber));
        } else {
            record.emplace_back(nType == 0x01 ? "0" : "");
        }
    }
    return record;
}

// Compares the rows of one table as mdb-export gives them: in the order
// they were written, or in any order where a row was moved (it then stands
// where its new place is).
void ExpectRows(const CTableDef& table, const std::string& strExport) {
    CCsvReader reader(strExport);
    CRecord record;
    ASSERT_TRUE(reader.Next(record)) << table.strName;
    EXPECT_EQ(record, Header(table)) << table.strName;
    const bool bMoved = std::any_of(table.rows.begin(), table.rows.end(),
                                    [](const CRowDef& row) { return row.bMoved; });
    std::vector<CRecord> actual;
    std::vector<CRecord> expected;
    for (const CRowDef& row : table.rows) {
        if (row.bDeleted) continue;
        if (!reader.Next(record)) {
            ADD_FAILURE() << "mdb-export gives fewer rows of " << table.strName;
            return;
        }
        for (std::size_t c = 0; c < record.size() && c < table.columns.size(); ++c) {
            if (!IsCompared(table.columns[c].nType)) record[c].assign(1, '*');
        }
        if (bMoved) {
            actual.push_back(record);
            expected.push_back(Expected(table, row));
        } else if (record != Expected(table, row)) {
            ADD_FAILURE() << "mdb-export gives other rows of " << table.strName;
            return;
        }
    }
    EXPECT_FALSE(reader.Next(record)) << "mdb-export gives more rows of " << table.strName;
    std::sort(actual.begin(), actual.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_TRUE(actual == expected) << "mdb-export gives other rows of " << table.strName;
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

        ExpectRows(table,
                   Run("mdb-export " + Quoted(strPath) + " " + Quoted(table.strName) + " 2>&1"));
    }
}

void WriteCheckedJetDatabase(const std::string& strPath, const std::vector<CTableDef>& tables) {
    WriteBytes(strPath, BuildJetDatabase(tables));
    ExpectMdbtoolsReadBack(strPath, tables);
}

}  // namespace vd::test::jet
