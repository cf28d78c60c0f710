// Builds small Jet 4 database files for the tests and the benchmark: a
// header that libmdb accepts, a catalog, and tables with their columns,
// named indexes and rows, including the forms the fixtures do not show
// (NULL fields, empty texts, compressed text, Memo values on long-value
// pages, deleted and moved rows, rows written before a column was added).
#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace vd::test::jet {

enum class EMemoForm { inlineValue, singlePage, chain };

struct CColumnDef {
    std::string strName;
    std::uint8_t nType = 0x04;  // Long Integer
    std::uint16_t nLength = 0;  // bytes; 0 gives the type's size (Text: 510)
    bool bCompressedText = false;
    EMemoForm eMemoForm = EMemoForm::inlineValue;
};

struct CIndexDef {
    std::string strName;
    std::vector<std::string> keys;  // column names; a leading '-' sorts that key descending
    // Several named indexes with the same non-negative group share one
    // physical index (the keys of the first of them).
    int nSharedGroup = -1;
};

// NULL, an integer (also Yes/No, Byte, Integer) or a text.
using CCell = std::variant<std::monostate, std::int32_t, std::string>;

struct CRowDef {
    std::vector<CCell> cells;
    bool bDeleted = false;
    bool bMoved = false;      // stored elsewhere; its slot keeps a pointer
    int nStoredColumns = -1;  // fewer: written before the later columns were added
};

struct CTableDef {
    std::string strName;
    std::vector<CColumnDef> columns;
    std::vector<CIndexDef> indexes;
    std::vector<CRowDef> rows;
    bool bMapPages = false;  // a usage map of type 1 (bitmap on its own page)
};

// The bytes of a Jet 4 file holding the tables.
std::vector<std::uint8_t> BuildJetDatabase(const std::vector<CTableDef>& tables);

// The five tables of a project database (Sources, SourcesStamm,
// DirectoryList, CompileStamm, HeadLines) with their columns and named
// indexes, without rows.
std::vector<CTableDef> ProjectTables();

// Rows from plain cells.
std::vector<CRowDef> Rows(const std::vector<std::vector<CCell>>& cells);

}  // namespace vd::test::jet
