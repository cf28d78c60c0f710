// The on-disk structures of a Jet 4 database that the Jet store reads itself:
// table definitions (columns and named indexes), data pages and their rows,
// usage maps and text values. Everything here works on bytes already in
// memory and checks every offset against the bytes it was given; a structure
// that does not fit raises CJetFormatError.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace vd::jet {

// A damaged or unsupported structure in a Jet file. The store turns it into
// an engine error naming the file and table.
class CJetFormatError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Jet 4 files use pages of 4096 bytes.
constexpr std::size_t kPageSize = 4096;

using CBytes = std::span<const std::uint8_t>;

// Column types as stored in a table definition.
enum EColumnType : std::uint8_t {
    COLUMN_BOOLEAN = 0x01,
    COLUMN_BYTE = 0x02,
    COLUMN_INTEGER = 0x03,
    COLUMN_LONG = 0x04,
    COLUMN_MONEY = 0x05,
    COLUMN_FLOAT = 0x06,
    COLUMN_DOUBLE = 0x07,
    COLUMN_DATETIME = 0x08,
    COLUMN_BINARY = 0x09,
    COLUMN_TEXT = 0x0a,
    COLUMN_OLE = 0x0b,
    COLUMN_MEMO = 0x0c,
    COLUMN_GUID = 0x0f,
    COLUMN_NUMERIC = 0x10,
    COLUMN_COMPLEX = 0x12,
};

// A readable name for a column type ("Long Integer", "Text", ...).
std::string ColumnTypeName(std::uint8_t nType);

struct CJetColumn {
    std::string strName;
    std::uint8_t nType = 0;
    std::uint16_t nNumber = 0;       // the column's number: its bit in a row's null mask
    std::uint16_t nVarIndex = 0;     // slot in a row's variable-length offset table
    std::uint16_t nFixedOffset = 0;  // offset of a fixed-length value after the column count
    std::uint16_t nLength = 0;       // declared length in bytes
    bool bFixed = false;             // stored in the fixed-length part of a row
};

struct CJetIndexKey {
    std::size_t nColumn = 0;  // position in CJetTableDefinition::columns
    bool bAscending = true;
};

// A named (logical) index with the key columns of the physical index it uses.
struct CJetIndex {
    std::string strName;
    std::uint32_t nPhysical = 0;  // the physical index that holds its entries
    std::uint8_t nKind = 0;       // 1 primary key, 2 foreign key, 0 other
    std::vector<CJetIndexKey> keys;
};

struct CJetTableDefinition {
    std::uint32_t nRowCount = 0;      // as recorded; the rows themselves are authoritative
    std::uint16_t nVarColumns = 0;    // rows carry a variable-length part when non-zero
    std::uint32_t nUsageMapRow = 0;   // page and row of the usage map of the data pages
    std::vector<CJetColumn> columns;  // in definition order
    std::vector<CJetIndex> indexes;   // in definition order
};

// Parses a table definition: the bytes of its first page followed by the
// bytes after the 8-byte header of each continuation page.
CJetTableDefinition ParseTableDefinition(CBytes definition);

// Text of a Text or Memo value: UTF-16LE, or Jet 4's compressed form (FF FE,
// then runs of one-byte characters and UTF-16LE characters, each run ended
// by a zero byte). Answers UTF-8; an unpaired surrogate becomes U+FFFD.
std::string DecodeText(CBytes value);
// The same, appended to out.
void AppendText(CBytes value, std::string& out);

// One slot of a data page's row table.
struct CJetRowSlot {
    std::size_t nStart = 0;
    std::size_t nEnd = 0;  // one past the last byte
    bool bDeleted = false;
    bool bOverflow = false;  // the row holds a 4-byte pointer to the row's real place
};

// The row slots of a data page (page type 1) in row-number order.
std::vector<CJetRowSlot> ReadRowSlots(CBytes page);

// The row slot nRow of a data page, or nullopt when the page has no such row.
std::optional<CJetRowSlot> ReadRowSlot(CBytes page, std::size_t nRow);

// A "page and row" pointer: the page in the upper 24 bits, the row in the low 8.
constexpr std::uint32_t PointerPage(std::uint32_t nPointer) { return nPointer >> 8; }
constexpr std::uint32_t PointerRow(std::uint32_t nPointer) { return nPointer & 0xFFu; }

// Where a row's value for one column lies.
struct CJetField {
    bool bNull = true;
    bool bBoolean = false;  // Yes/No columns keep their value in the null mask
    std::size_t nStart = 0;
    std::size_t nLength = 0;
};

// The parts of one row: its null mask, the end of its fixed-length part and
// its table of variable-length offsets. Made once per row; FieldOf then finds
// any column's value without looking at the others.
struct CJetRowLayout {
    std::size_t nRowColumns = 0;
    std::size_t nMaskStart = 0;
    std::size_t nDataEnd = 0;      // end of the fixed-length and variable-length data
    std::size_t nVarTableEnd = 0;  // the offsets run backwards from here
    std::size_t nVarCount = 0;
};
CJetRowLayout ReadRowLayout(CBytes row, const CJetTableDefinition& definition);

// Where the row's value of a column lies. A column that the row does not
// carry (added after the row was written) reads as NULL.
CJetField FieldOf(CBytes row, const CJetRowLayout& layout, const CJetColumn& column);

// The pages that a usage map lists, in ascending order. A map of type 0
// holds its bitmap inline; a map of type 1 lists pages that hold bitmaps,
// which the reader supplies.
class CJetMapPageReader {
  public:
    virtual ~CJetMapPageReader() = default;
    virtual CBytes ReadMapPage(std::uint32_t nPage) = 0;
};
std::vector<std::uint32_t> ReadUsageMap(CBytes map, std::uint32_t nPageCount,
                                        CJetMapPageReader& reader);

// Little-endian reads that check their bounds.
std::uint8_t ReadU8(CBytes bytes, std::size_t nOffset);
std::uint16_t ReadU16(CBytes bytes, std::size_t nOffset);
std::uint32_t ReadU32(CBytes bytes, std::size_t nOffset);

}  // namespace vd::jet
