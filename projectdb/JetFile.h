// A Jet 4 database file as the Jet store reads it: its catalog of tables,
// their definitions and their rows, loaded whole. Pages come from a page
// source (the file through libmdb, or bytes in memory); everything read from
// them is checked, and a damaged structure raises CJetFormatError.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
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
// store keeps but does not interpret.
struct CJetValue {
    EValueKind eKind = EValueKind::null;
    std::int32_t nInteger = 0;
    std::string strText;
};

// A table's definition and all its rows, in the order they are stored.
struct CJetTableContents {
    std::string strName;
    CJetTableDefinition definition;
    std::vector<CJetValue> values;  // row after row, one value per column

    std::size_t GetColumnCount() const { return definition.columns.size(); }
    std::size_t GetRowCount() const {
        return definition.columns.empty() ? 0 : values.size() / definition.columns.size();
    }
    const CJetValue& At(std::size_t nRow, std::size_t nColumn) const {
        return values[nRow * definition.columns.size() + nColumn];
    }
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
    // The definition and every row of a table.
    CJetTableContents LoadTable(const CCatalogEntry& entry);

    // The bytes of a table definition: its first page, then the part after
    // the 8-byte header of each continuation page.
    std::vector<std::uint8_t> ReadDefinitionBytes(std::uint32_t nDefinitionPage);

  private:
    // Loads the rows of a table; columns whose entry in wanted is false are
    // left NULL without being decoded.
    void LoadRows(std::uint32_t nDefinitionPage, const std::vector<bool>& wanted,
                  CJetTableContents& table);
    // A copy of the row that a page-and-row pointer names.
    std::vector<std::uint8_t> ReadRow(std::uint32_t nPointer);
    // The bytes of a Memo or OLE value (inline, or on long-value pages).
    std::vector<std::uint8_t> ReadLongValue(CBytes value);
    CJetValue DecodeValue(const CJetColumn& column, CBytes row, const CJetField& field);

    std::unique_ptr<CPageSource> m_pPages;
    std::array<std::uint8_t, kPageSize> m_dataPage{};   // the data page being walked
    std::array<std::uint8_t, kPageSize> m_otherPage{};  // map, overflow and long-value pages
    std::size_t m_nLongValueBytes = 0;                  // decoded for the table being loaded
    std::vector<CCatalogEntry> m_catalog;
    bool m_bCatalogRead = false;
};

// True when a and b are equal without regard to ASCII letter case.
bool EqualNoCase(std::string_view a, std::string_view b);

}  // namespace vd::jet
