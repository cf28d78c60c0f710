// Makes inputs of the Windows host run that only the tests' builders can
// make (tools/windows/prepare-host-run.sh calls it):
//   vd_host_inputs mdb PROJECT.db OUT.mdb [damaged]
//       the project database PROJECT.db (SQLite) as a Jet file, with a
//       deleted and a moved heading row and compressed folder texts; with
//       "damaged" its catalog is cut off
//   vd_host_inputs shg OUT.shg
//       a hypergraphic whose hotspots name the heading "Übersicht" in UTF-8
//       and in Windows-1252, and a macro outside ASCII
#include <sqlite3.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "tests/jet/JetBuilder.h"
#include "tests/shgfile/ShgBuilder.h"

namespace {

using vd::test::jet::CColumnDef;
using vd::test::jet::CRowDef;
using vd::test::jet::CTableDef;

constexpr std::uint8_t kText = 0x0a;

bool WriteFile(const std::string& strPath, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(strPath, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out.flush());
}

// The rows of a table of the SQLite database, in rowid order.
bool ReadRows(sqlite3* pDb, CTableDef& table) {
    std::string strSql = "SELECT ";
    for (std::size_t i = 0; i < table.columns.size(); ++i) {
        strSql += (i == 0 ? "" : ", ") + table.columns[i].strName;
    }
    strSql += " FROM " + table.strName + " ORDER BY rowid";
    sqlite3_stmt* pStmt = nullptr;
    if (sqlite3_prepare_v2(pDb, strSql.c_str(), -1, &pStmt, nullptr) != SQLITE_OK) return false;
    while (sqlite3_step(pStmt) == SQLITE_ROW) {
        CRowDef row;
        for (std::size_t i = 0; i < table.columns.size(); ++i) {
            const int c = static_cast<int>(i);
            if (table.columns[i].nType == kText) {
                const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(pStmt, c));
                row.cells.emplace_back(std::string(p != nullptr ? p : ""));
            } else {
                row.cells.emplace_back(static_cast<std::int32_t>(sqlite3_column_int(pStmt, c)));
            }
        }
        table.rows.push_back(std::move(row));
    }
    return sqlite3_finalize(pStmt) == SQLITE_OK;
}

int MakeMdb(const std::string& strIn, const std::string& strOut, bool bDamaged) {
    std::vector<CTableDef> tables = vd::test::jet::ProjectTables();
    for (CColumnDef& column : tables[2].columns) {
        column.bCompressedText = column.nType == kText;  // DirectoryList's texts
    }
    sqlite3* pDb = nullptr;
    if (sqlite3_open_v2(strIn.c_str(), &pDb, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "vd_host_inputs: cannot open '%s'\n", strIn.c_str());
        sqlite3_close(pDb);
        return 1;
    }
    bool bRead = true;
    for (CTableDef& table : tables) bRead = bRead && ReadRows(pDb, table);
    sqlite3_close(pDb);
    if (!bRead) {
        std::fprintf(stderr, "vd_host_inputs: cannot read the tables of '%s'\n", strIn.c_str());
        return 1;
    }
    // A deleted heading that would otherwise be found first, and a moved row.
    CTableDef& headLines = tables.back();
    if (!headLines.rows.empty()) {
        CRowDef deleted = headLines.rows.front();
        deleted.cells[3] = std::int32_t{999};
        deleted.bDeleted = true;
        headLines.rows.insert(headLines.rows.begin(), deleted);
        headLines.rows.back().bMoved = true;
    }
    std::vector<std::uint8_t> bytes = vd::test::jet::BuildJetDatabase(tables);
    if (bDamaged) bytes.resize(3 * 4096);  // the catalog's rows are gone
    return WriteFile(strOut, bytes) ? 0 : 1;
}

int MakeShg(const std::string& strOut) {
    vd::test::CShgDescription desc;
    desc.nBitCount = 1;
    desc.nWidth = 8;
    desc.nHeight = 2;
    desc.nColoursUsed = 2;
    desc.colourTable = {0, 0, 0, 0, 255, 255, 255, 0};
    desc.pixels = {0xA5, 0, 0, 0, 0x5A, 0, 0, 0};
    desc.hotspots = {{0xE3, 0, 0, 4, 1,
                      "!\xC3\xBC"
                      "bersicht",
                      "utf8"},
                     {0xE3, 4, 0, 4, 1,
                      "!\xFC"
                      "bersicht",
                      "cp1252"},
                     {0xC8, 0, 1, 8, 1, "!Run", "Gr\xFC\xDF(`\x80')"}};
    return WriteFile(strOut, vd::test::BuildShg(desc)) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 4 && std::strcmp(argv[1], "mdb") == 0 &&
        (argc == 4 || (argc == 5 && std::strcmp(argv[4], "damaged") == 0))) {
        return MakeMdb(argv[2], argv[3], argc == 5);
    }
    if (argc == 3 && std::strcmp(argv[1], "shg") == 0) return MakeShg(argv[2]);
    std::fprintf(stderr,
                 "usage: vd_host_inputs mdb PROJECT.db OUT.mdb [damaged]\n"
                 "       vd_host_inputs shg OUT.shg\n");
    return 2;
}
