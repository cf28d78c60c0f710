// A Jet 4 database file as the Jet store reads it: its catalog of tables,
// their definitions, where their rows lie, and the values of the columns
// that are asked for, one column at a time. Pages come from a page
// source (the file itself, or bytes in memory); everything read from
// them is checked, and a damaged structure raises CJetFormatError.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "projectdb/JetFormat.h"

namespace vd::jet {

class CPageSource {
  public:
    virtual ~CPageSource() = default;
    virtual std::uint32_t GetPageCount() const = 0;
    // Copies page nPage into page; raises CJetFormatError when it cannot.
    virtual void ReadPage(std::uint32_t nPage, std::array<std::uint8_t, kPageSize>& page) = 0;
};

// Pages of a database image held in memory (page 0 is not interpreted).
class CMemoryPageSource final : public CPageSource {
  public:
    explicit CMemoryPageSource(std::vector<std::uint8_t> bytes) : m_bytes(std::move(bytes)) {}
    std::uint32_t GetPageCount() const override;
    void ReadPage(std::uint32_t nPage, std::array<std::uint8_t, kPageSize>& page) override;

  private:
    std::vector<std::uint8_t> m_bytes;
};

// One object of the catalog.
struct CCatalogEntry {
    std::string strName;
    std::uint32_t nDefinitionPage = 0;
    std::uint16_t nType = 0;  // 1 local table, 4 and 6 linked tables, others no table
    std::uint32_t nFlags = 0;
    bool IsTable() const { return nType == 1; }
    bool IsLinkedTable() const { return nType == 4 || nType == 6; }
    bool IsSystemObject() const { return (nFlags & 0x80000002u) != 0; }
};

enum class EValueKind : std::uint8_t { null, integer, text, other };

// A field value as loaded: NULL, an integer (Yes/No, Byte, Integer, Long
// Integer), a text (Text, Memo; UTF-8) or a value of another type, which the
// store keeps but does not interpret. The text lies in its table's storage.
struct CJetValue {
    EValueKind eKind = EValueKind::null;
    std::int32_t nInteger = 0;
    std::string_view strText;
};

// The values of one column, one per row, once loaded.
struct CJetColumnValues {
    bool bLoaded = false;
    std::vector<EValueKind> kinds;
    std::vector<std::int32_t> integers;   // integer columns
    std::vector<std::uint32_t> textEnds;  // text columns: where each row's text ends in text
    std::string text;
};

// Where a row's bytes lie: on which page, from where to where.
struct CJetRowPlace {
    std::uint32_t nPage = 0;
    std::uint16_t nStart = 0;
    std::uint16_t nEnd = 0;
};

// A table's definition, where its rows lie (in the order they are stored)
// and the values of the columns loaded so far.
struct CJetTableContents {
    std::string strName;
    std::uint32_t nDefinitionPage = 0;
    CJetTableDefinition definition;
    std::vector<CJetRowPlace> rows;
    std::vector<CJetColumnValues> columns;  // one per column of the definition
    std::size_t nLoadedBytes = 0;           // what rows and loaded columns take

    std::size_t GetColumnCount() const { return definition.columns.size(); }
    std::size_t GetRowCount() const { return rows.size(); }
    bool IsLoaded(std::size_t nColumn) const { return columns[nColumn].bLoaded; }
    // The value of a loaded column.
    CJetValue At(std::size_t nRow, std::size_t nColumn) const;
};

// A table whose loaded values would take more memory than the store allows
// for its file (CJetFile::GetLoadBound).
class CJetLimitError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class CJetFile {
  public:
    explicit CJetFile(std::unique_ptr<CPageSource> pPages);

    // The objects of the catalog (read on first use).
    const std::vector<CCatalogEntry>& GetCatalog();
    // The catalog entry of a table, found by name without regard to ASCII
    // letter case (as Jet names are); local tables before other objects.
    const CCatalogEntry* FindTable(std::string_view strName);

    // The definition of a table, from its definition pages.
    CJetTableDefinition ReadDefinition(std::uint32_t nDefinitionPage);
    // The definition of a table and where its rows lie; no values yet.
    CJetTableContents OpenTable(const CCatalogEntry& entry);
    // Loads the values of the columns given (positions in the definition)
    // that are not loaded yet, in one walk over the rows. Raises
    // CJetLimitError before the table would take more than GetLoadBound().
    void LoadColumns(CJetTableContents& table, const std::vector<std::size_t>& columns);
    // The definition and every column of a table.
    CJetTableContents LoadTable(const CCatalogEntry& entry);

    // The most memory one table's loaded values may take: 64 times the
    // file's size, never more than 1 GiB.
    std::size_t GetLoadBound() const;

    // The bytes of a table definition: its first page, then the part after
    // the 8-byte header of each continuation page.
    std::vector<std::uint8_t> ReadDefinitionBytes(std::uint32_t nDefinitionPage);

  private:
    // Where the rows of a table lie, following moved rows to their place.
    std::vector<CJetRowPlace> ReadRowPlaces(const CJetTableContents& table);
    // A copy of the row that a page-and-row pointer names.
    std::vector<std::uint8_t> ReadRow(std::uint32_t nPointer);
    // The bytes of a Memo or OLE value (inline, or on long-value pages).
    std::vector<std::uint8_t> ReadLongValue(CBytes value, std::size_t nBudget);
    // Adds nBytes to what the table takes, or raises CJetLimitError.
    void Charge(CJetTableContents& table, std::uint64_t nBytes) const;

    std::unique_ptr<CPageSource> m_pPages;
    std::array<std::uint8_t, kPageSize> m_dataPage{};   // the data page being walked
    std::array<std::uint8_t, kPageSize> m_otherPage{};  // map, overflow and long-value pages
    std::vector<CCatalogEntry> m_catalog;
    bool m_bCatalogRead = false;
};

// True when a and b are equal without regard to ASCII letter case.
bool EqualNoCase(std::string_view a, std::string_view b);

}  // namespace vd::jet
