#include "projectdb/JetFormat.h"

#include <algorithm>
#include <string_view>

#include "common/TextEncoding.h"

namespace vd::jet {
namespace {

// Offsets in a Jet 4 table definition.
constexpr std::size_t kDefRowCount = 16;
constexpr std::size_t kDefVarColumns = 43;
constexpr std::size_t kDefColumnCount = 45;
constexpr std::size_t kDefIndexCount = 47;
constexpr std::size_t kDefPhysicalCount = 51;
constexpr std::size_t kDefUsageMap = 55;
constexpr std::size_t kDefHeaderSize = 63;
constexpr std::size_t kPhysicalCountEntry = 12;  // per physical index, after the header
constexpr std::size_t kColumnEntry = 25;
constexpr std::size_t kPhysicalEntry = 52;
constexpr std::size_t kPhysicalKeySlots = 10;
constexpr std::size_t kLogicalEntry = 28;
constexpr std::size_t kMaxColumns = 255;  // Jet's limit of fields in a table

// Offsets in a column entry.
constexpr std::size_t kColType = 0;
constexpr std::size_t kColNumber = 5;
constexpr std::size_t kColVarIndex = 7;
constexpr std::size_t kColFlags = 15;
constexpr std::size_t kColFixedOffset = 21;
constexpr std::size_t kColLength = 23;
constexpr std::uint8_t kColFlagFixed = 0x01;

// Offsets on a data page.
constexpr std::size_t kPageRowCount = 12;
constexpr std::size_t kPageRowTable = 14;
constexpr std::uint16_t kRowOffsetMask = 0x1FFF;
// A deleted row; also the mark of a row's new place after it was moved, so
// that a walk of the pages meets it only through its old slot.
constexpr std::uint16_t kRowDeleted = 0x8000;
// A row moved elsewhere: its slot holds a pointer to its new place.
constexpr std::uint16_t kRowOverflow = 0x4000;

constexpr std::uint8_t kPageData = 0x01;
constexpr std::uint8_t kPageDefinition = 0x02;
constexpr std::uint8_t kPageUsageMap = 0x05;

void Require(bool bCondition, const char* pszWhat) {
    if (!bCondition) throw CJetFormatError(pszWhat);
}

// Bytes [nStart, nStart + nLength) of bytes, checked.
CBytes Slice(CBytes bytes, std::uint64_t nStart, std::uint64_t nLength, const char* pszWhat) {
    if (nStart > bytes.size() || nLength > bytes.size() - nStart) throw CJetFormatError(pszWhat);
    return bytes.subspan(static_cast<std::size_t>(nStart), static_cast<std::size_t>(nLength));
}

// Turns UTF-16 code units into UTF-8 at the end of out, pairing surrogates.
class CUtf8Writer {
  public:
    explicit CUtf8Writer(std::string& out) : m_out(out) {}
    ~CUtf8Writer() { Flush(); }
    CUtf8Writer(const CUtf8Writer&) = delete;
    CUtf8Writer& operator=(const CUtf8Writer&) = delete;

    void Put(char16_t unit) {
        if (m_nHigh != 0) {
            if (unit >= 0xDC00 && unit <= 0xDFFF) {
                AppendUtf8(m_out, 0x10000 + ((char32_t{m_nHigh} - 0xD800) << 10) + (unit - 0xDC00));
                m_nHigh = 0;
                return;
            }
            Flush();
        }
        if (unit < 0x80) {
            m_out += static_cast<char>(unit);
        } else if (unit >= 0xD800 && unit <= 0xDBFF) {
            m_nHigh = unit;
        } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
            AppendUtf8(m_out, 0xFFFD);
        } else {
            AppendUtf8(m_out, unit);
        }
    }

  private:
    void Flush() {
        if (m_nHigh != 0) AppendUtf8(m_out, 0xFFFD);
        m_nHigh = 0;
    }

    std::string& m_out;
    char16_t m_nHigh = 0;  // a high surrogate waiting for its pair
};

// The size a fixed-length value of a type takes in a row, or 0 when the
// declared length decides.
std::size_t FixedSizeOfType(std::uint8_t nType) {
    switch (nType) {
        case COLUMN_BOOLEAN:
            return 0;
        case COLUMN_BYTE:
            return 1;
        case COLUMN_INTEGER:
            return 2;
        case COLUMN_LONG:
        case COLUMN_FLOAT:
        case COLUMN_COMPLEX:
            return 4;
        case COLUMN_MONEY:
        case COLUMN_DOUBLE:
        case COLUMN_DATETIME:
            return 8;
        case COLUMN_GUID:
            return 16;
        case COLUMN_NUMERIC:
            return 17;
        default:
            return 0;
    }
}

}  // namespace

std::uint8_t ReadU8(CBytes bytes, std::size_t nOffset) {
    if (nOffset >= bytes.size()) throw CJetFormatError("a value lies beyond its structure");
    return bytes[nOffset];
}

std::uint16_t ReadU16(CBytes bytes, std::size_t nOffset) {
    if (bytes.size() < 2 || nOffset > bytes.size() - 2) {
        throw CJetFormatError("a value lies beyond its structure");
    }
    return static_cast<std::uint16_t>(bytes[nOffset] | (bytes[nOffset + 1] << 8));
}

std::uint32_t ReadU32(CBytes bytes, std::size_t nOffset) {
    if (bytes.size() < 4 || nOffset > bytes.size() - 4) {
        throw CJetFormatError("a value lies beyond its structure");
    }
    return static_cast<std::uint32_t>(bytes[nOffset]) |
           (static_cast<std::uint32_t>(bytes[nOffset + 1]) << 8) |
           (static_cast<std::uint32_t>(bytes[nOffset + 2]) << 16) |
           (static_cast<std::uint32_t>(bytes[nOffset + 3]) << 24);
}

std::string ColumnTypeName(std::uint8_t nType) {
    switch (nType) {
        case COLUMN_BOOLEAN:
            return "Yes/No";
        case COLUMN_BYTE:
            return "Byte";
        case COLUMN_INTEGER:
            return "Integer";
        case COLUMN_LONG:
            return "Long Integer";
        case COLUMN_MONEY:
            return "Currency";
        case COLUMN_FLOAT:
            return "Single";
        case COLUMN_DOUBLE:
            return "Double";
        case COLUMN_DATETIME:
            return "Date/Time";
        case COLUMN_BINARY:
            return "Binary";
        case COLUMN_TEXT:
            return "Text";
        case COLUMN_OLE:
            return "OLE Object";
        case COLUMN_MEMO:
            return "Memo";
        case COLUMN_GUID:
            return "Replication ID";
        case COLUMN_NUMERIC:
            return "Decimal";
        case COLUMN_COMPLEX:
            return "Complex";
        default:
            return "type " + std::to_string(nType);
    }
}

void AppendText(CBytes value, std::string& out) {
    CUtf8Writer writer(out);
    if (value.size() >= 2 && value[0] == 0xFF && value[1] == 0xFE) {
        // Compressed: runs alternate between one byte and two bytes per
        // character, starting with one; a zero byte ends each run.
        bool bCompressed = true;
        std::size_t i = 2;
        while (i < value.size()) {
            std::size_t nEnd = i;
            while (nEnd < value.size() && value[nEnd] != 0) ++nEnd;
            if (bCompressed) {
                for (std::size_t k = i; k < nEnd; ++k) writer.Put(value[k]);
            } else {
                for (std::size_t k = i; k + 1 < nEnd; k += 2) {
                    writer.Put(static_cast<char16_t>(value[k] | (value[k + 1] << 8)));
                }
            }
            bCompressed = !bCompressed;
            i = nEnd + 1;
        }
    } else {
        for (std::size_t k = 0; k + 1 < value.size(); k += 2) {
            writer.Put(static_cast<char16_t>(value[k] | (value[k + 1] << 8)));
        }
    }
}

std::string DecodeText(CBytes value) {
    std::string out;
    out.reserve(value.size());
    AppendText(value, out);
    return out;
}

CJetTableDefinition ParseTableDefinition(CBytes def) {
    Require(def.size() >= kDefHeaderSize, "the table definition is too short");
    Require(def[0] == kPageDefinition, "the page is not a table definition");
    CJetTableDefinition table;
    table.nRowCount = ReadU32(def, kDefRowCount);
    table.nVarColumns = ReadU16(def, kDefVarColumns);
    const std::uint16_t nColumns = ReadU16(def, kDefColumnCount);
    const std::uint32_t nLogical = ReadU32(def, kDefIndexCount);
    const std::uint32_t nPhysical = ReadU32(def, kDefPhysicalCount);
    table.nUsageMapRow = ReadU32(def, kDefUsageMap);
    Require(nColumns <= kMaxColumns, "the table definition declares more columns than Jet allows");

    // Counts come from the file: every entry must fit in the bytes given
    // before anything is reserved for it (64-bit arithmetic, no overflow).
    std::uint64_t nPos = kDefHeaderSize + std::uint64_t{kPhysicalCountEntry} * nPhysical;
    const std::uint64_t nNeeded =
        nPos + std::uint64_t{kColumnEntry} * nColumns + std::uint64_t{2} * nColumns +
        std::uint64_t{kPhysicalEntry} * nPhysical + std::uint64_t{kLogicalEntry + 2} * nLogical;
    Require(nNeeded <= def.size(), "the table definition holds more entries than bytes");

    table.columns.resize(nColumns);
    for (auto& column : table.columns) {
        const CBytes entry = Slice(def, nPos, kColumnEntry, "a column entry is cut off");
        column.nType = entry[kColType];
        column.nNumber = ReadU16(entry, kColNumber);
        column.nVarIndex = ReadU16(entry, kColVarIndex);
        column.bFixed = (entry[kColFlags] & kColFlagFixed) != 0;
        column.nFixedOffset = ReadU16(entry, kColFixedOffset);
        column.nLength = ReadU16(entry, kColLength);
        nPos += kColumnEntry;
    }
    for (auto& column : table.columns) {
        const std::uint16_t nNameLength = ReadU16(def, static_cast<std::size_t>(nPos));
        nPos += 2;
        column.strName = DecodeText(Slice(def, nPos, nNameLength, "a column name is cut off"));
        nPos += nNameLength;
    }
    for (std::size_t i = 0; i < table.columns.size(); ++i) {
        for (std::size_t k = 0; k < i; ++k) {
            Require(table.columns[k].nNumber != table.columns[i].nNumber,
                    "two columns have the same number");
        }
    }

    // Physical indexes: up to ten key columns each (column number, order).
    std::vector<std::vector<CJetIndexKey>> physicalKeys(nPhysical);
    for (auto& keys : physicalKeys) {
        const CBytes entry = Slice(def, nPos, kPhysicalEntry, "an index entry is cut off");
        for (std::size_t k = 0; k < kPhysicalKeySlots; ++k) {
            const std::uint16_t nColumnNumber = ReadU16(entry, 4 + 3 * k);
            if (nColumnNumber == 0xFFFF) continue;
            const auto it = std::find_if(
                table.columns.begin(), table.columns.end(),
                [&](const CJetColumn& column) { return column.nNumber == nColumnNumber; });
            Require(it != table.columns.end(), "an index key names a column that does not exist");
            CJetIndexKey key;
            key.nColumn = static_cast<std::size_t>(it - table.columns.begin());
            key.bAscending = entry[6 + 3 * k] != 0;
            keys.push_back(key);
        }
        nPos += kPhysicalEntry;
    }

    // Named indexes: each names the physical index that holds its entries
    // (offset 8). Several names may share one physical index, so the keys
    // are taken from the physical index named there, not from the named
    // index's own number.
    table.indexes.resize(nLogical);
    for (auto& index : table.indexes) {
        const CBytes entry = Slice(def, nPos, kLogicalEntry, "a named index entry is cut off");
        index.nPhysical = ReadU32(entry, 8);
        index.nKind = entry[23];
        nPos += kLogicalEntry;
    }
    for (auto& index : table.indexes) {
        const std::uint16_t nNameLength = ReadU16(def, static_cast<std::size_t>(nPos));
        nPos += 2;
        index.strName = DecodeText(Slice(def, nPos, nNameLength, "an index name is cut off"));
        nPos += nNameLength;
        Require(index.nPhysical < physicalKeys.size(),
                "a named index refers to a physical index that does not exist");
        index.keys = physicalKeys[index.nPhysical];
    }
    return table;
}

std::vector<CJetRowSlot> ReadRowSlots(CBytes page) {
    Require(page.size() >= kPageRowTable && page[0] == kPageData, "the page is not a data page");
    const std::size_t nRows = ReadU16(page, kPageRowCount);
    Require(kPageRowTable + 2 * nRows <= page.size(), "the row table of a data page is too long");
    std::vector<CJetRowSlot> slots;
    slots.reserve(nRows);
    std::size_t nEnd = page.size();
    for (std::size_t i = 0; i < nRows; ++i) {
        const std::uint16_t nRaw = ReadU16(page, kPageRowTable + 2 * i);
        CJetRowSlot slot;
        slot.nStart = nRaw & kRowOffsetMask;
        slot.nEnd = nEnd;
        slot.bDeleted = (nRaw & kRowDeleted) != 0;
        slot.bOverflow = (nRaw & kRowOverflow) != 0;
        const bool bInside = slot.nStart >= kPageRowTable + 2 * nRows && slot.nStart <= slot.nEnd;
        if (!bInside) {
            // A deleted row is never read; its slot may point anywhere.
            Require(slot.bDeleted, "a row lies outside its data page");
            slot.nStart = slot.nEnd;
        }
        slots.push_back(slot);
        nEnd = slot.nStart;
    }
    return slots;
}

std::optional<CJetRowSlot> ReadRowSlot(CBytes page, std::size_t nRow) {
    const std::vector<CJetRowSlot> slots = ReadRowSlots(page);
    if (nRow >= slots.size()) return std::nullopt;
    return slots[nRow];
}

CJetRowLayout ReadRowLayout(CBytes row, const CJetTableDefinition& definition) {
    CJetRowLayout layout;
    layout.nRowColumns = ReadU16(row, 0);
    const std::size_t nMaskSize = (layout.nRowColumns + 7) / 8;
    Require(row.size() >= 2 + nMaskSize, "a row is shorter than its null mask");
    layout.nMaskStart = row.size() - nMaskSize;
    layout.nDataEnd = layout.nMaskStart;

    // The variable-length part: offsets from the row's end backwards,
    // then the count of variable-length columns just before the null mask.
    if (definition.nVarColumns > 0) {
        Require(layout.nDataEnd >= 4, "a row is too short for its variable-length part");
        layout.nVarCount = ReadU16(row, layout.nDataEnd - 2);
        const std::uint64_t nTableSize = 2 + 2 * (std::uint64_t{layout.nVarCount} + 1);
        Require(nTableSize + 2 <= layout.nDataEnd, "a row's variable-length offsets do not fit");
        layout.nVarTableEnd = layout.nDataEnd - 2;
        layout.nDataEnd -= static_cast<std::size_t>(nTableSize);
    }
    return layout;
}

CJetField FieldOf(CBytes row, const CJetRowLayout& layout, const CJetColumn& column) {
    CJetField field;
    if (column.nNumber >= layout.nRowColumns) return field;  // added after this row was written
    const bool bPresent =
        ((row[layout.nMaskStart + column.nNumber / 8] >> (column.nNumber % 8)) & 1) != 0;
    if (column.nType == COLUMN_BOOLEAN) {
        field.bNull = false;
        field.bBoolean = bPresent;
        return field;
    }
    if (!bPresent) return field;
    if (column.bFixed) {
        std::size_t nSize = FixedSizeOfType(column.nType);
        if (nSize == 0) nSize = column.nLength;
        const std::size_t nStart = 2 + std::size_t{column.nFixedOffset};
        // A fixed column beyond the fixed part was added after the row.
        if (nStart + nSize > layout.nDataEnd) return field;
        field.bNull = false;
        field.nStart = nStart;
        field.nLength = nSize;
        return field;
    }
    if (column.nVarIndex >= layout.nVarCount) return field;
    const std::size_t nStart = ReadU16(row, layout.nVarTableEnd - 2 - 2 * column.nVarIndex);
    const std::size_t nEnd = ReadU16(row, layout.nVarTableEnd - 4 - 2 * column.nVarIndex);
    Require(nStart >= 2 && nStart <= nEnd && nEnd <= layout.nDataEnd,
            "a variable-length value lies outside its row");
    field.bNull = false;
    field.nStart = nStart;
    field.nLength = nEnd - nStart;
    return field;
}

std::vector<std::uint32_t> ReadUsageMap(CBytes map, std::uint32_t nPageCount,
                                        CJetMapPageReader& reader) {
    Require(!map.empty(), "a usage map is empty");
    std::vector<std::uint32_t> pages;
    auto add = [&](std::uint64_t nPage) {
        Require(nPage < nPageCount, "a usage map lists a page beyond the end of the file");
        pages.push_back(static_cast<std::uint32_t>(nPage));
    };
    if (map[0] == 0) {
        // Inline bitmap: the first page it covers, then one bit per page.
        const std::uint32_t nFirst = ReadU32(map, 1);
        for (std::size_t i = 5; i < map.size(); ++i) {
            for (unsigned b = 0; b < 8; ++b) {
                if ((map[i] >> b) & 1) add(std::uint64_t{nFirst} + 8 * (i - 5) + b);
            }
        }
    } else if (map[0] == 1) {
        // Bitmaps on map pages; map page k covers the pages from
        // k * (page size - 4) * 8 on.
        const std::uint64_t nPerMapPage = (kPageSize - 4) * 8;
        for (std::size_t k = 0; 1 + 4 * k + 4 <= map.size(); ++k) {
            const std::uint32_t nMapPage = ReadU32(map, 1 + 4 * k);
            if (nMapPage == 0) continue;
            Require(nMapPage < nPageCount, "a usage map page lies beyond the end of the file");
            const CBytes bitmap = reader.ReadMapPage(nMapPage);
            Require(bitmap.size() == kPageSize && bitmap[0] == kPageUsageMap,
                    "a usage map page is not a map page");
            for (std::size_t i = 4; i < bitmap.size(); ++i) {
                if (bitmap[i] == 0) continue;
                for (unsigned b = 0; b < 8; ++b) {
                    if ((bitmap[i] >> b) & 1) add(nPerMapPage * k + 8 * (i - 4) + b);
                }
            }
        }
    } else {
        throw CJetFormatError("a usage map has an unknown type");
    }
    std::sort(pages.begin(), pages.end());
    pages.erase(std::unique(pages.begin(), pages.end()), pages.end());
    return pages;
}

}  // namespace vd::jet
