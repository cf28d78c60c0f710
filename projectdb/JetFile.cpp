#include "projectdb/JetFile.h"

#include <algorithm>
#include <cstring>

namespace vd::jet {
namespace {

constexpr std::uint32_t kCatalogDefinitionPage = 2;
constexpr std::size_t kMaxDefinitionPages = 64;  // a definition of 256 KB is far beyond any table
constexpr std::size_t kMaxOverflowHops = 8;
// A table is loaded whole; these bound what one table may make the store
// hold, whatever the file claims (a project table is far smaller).
constexpr std::size_t kMaxValuesPerTable = std::size_t{8} << 20;
constexpr std::size_t kMaxLongValueBytesPerTable = std::size_t{256} << 20;
constexpr std::uint32_t kLongValueInline = 0x80000000u;
constexpr std::uint32_t kLongValueSinglePage = 0x40000000u;
constexpr std::uint32_t kLongValueLengthMask = 0x3FFFFFFFu;
constexpr std::size_t kLongValueHeader = 12;

void Require(bool bCondition, const char* pszWhat) {
    if (!bCondition) throw CJetFormatError(pszWhat);
}

CBytes PageBytes(const std::array<std::uint8_t, kPageSize>& page) {
    return CBytes(page.data(), page.size());
}

std::size_t FindColumn(const CJetTableDefinition& definition, std::string_view strName) {
    for (std::size_t i = 0; i < definition.columns.size(); ++i) {
        if (EqualNoCase(definition.columns[i].strName, strName)) return i;
    }
    return definition.columns.size();
}

}  // namespace

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

std::uint32_t CMemoryPageSource::GetPageCount() const {
    const std::size_t nPages = m_bytes.size() / kPageSize;
    return nPages > 0xFFFFFFu ? 0xFFFFFFu : static_cast<std::uint32_t>(nPages);
}

void CMemoryPageSource::ReadPage(std::uint32_t nPage, std::array<std::uint8_t, kPageSize>& page) {
    if (nPage >= GetPageCount()) throw CJetFormatError("a page lies beyond the end of the file");
    std::memcpy(page.data(), m_bytes.data() + std::size_t{nPage} * kPageSize, kPageSize);
}

CJetFile::CJetFile(std::unique_ptr<CPageSource> pPages) : m_pPages(std::move(pPages)) {}

std::vector<std::uint8_t> CJetFile::ReadDefinitionBytes(std::uint32_t nDefinitionPage) {
    std::vector<std::uint8_t> bytes;
    std::vector<std::uint32_t> visited;
    std::uint32_t nPage = nDefinitionPage;
    while (nPage != 0) {
        Require(visited.size() < kMaxDefinitionPages, "a table definition has too many pages");
        Require(std::find(visited.begin(), visited.end(), nPage) == visited.end(),
                "the pages of a table definition form a loop");
        visited.push_back(nPage);
        m_pPages->ReadPage(nPage, m_otherPage);
        Require(m_otherPage[0] == 0x02, "a table definition page is not marked as one");
        const std::size_t nSkip = bytes.empty() ? 0 : 8;
        bytes.insert(bytes.end(), m_otherPage.begin() + static_cast<std::ptrdiff_t>(nSkip),
                     m_otherPage.end());
        nPage = ReadU32(PageBytes(m_otherPage), 4);
    }
    return bytes;
}

CJetTableDefinition CJetFile::ReadDefinition(std::uint32_t nDefinitionPage) {
    return ParseTableDefinition(ReadDefinitionBytes(nDefinitionPage));
}

std::vector<std::uint8_t> CJetFile::ReadRow(std::uint32_t nPointer) {
    const std::uint32_t nPage = PointerPage(nPointer);
    Require(nPage != 0 && nPage < m_pPages->GetPageCount(),
            "a row pointer names a page beyond the end of the file");
    m_pPages->ReadPage(nPage, m_otherPage);
    const std::optional<CJetRowSlot> slot =
        ReadRowSlot(PageBytes(m_otherPage), PointerRow(nPointer));
    Require(slot.has_value(), "a row pointer names a row that does not exist");
    return std::vector<std::uint8_t>(
        m_otherPage.begin() + static_cast<std::ptrdiff_t>(slot->nStart),
        m_otherPage.begin() + static_cast<std::ptrdiff_t>(slot->nEnd));
}

std::vector<std::uint8_t> CJetFile::ReadLongValue(CBytes value) {
    Require(value.size() >= kLongValueHeader, "a long value is shorter than its header");
    const std::uint32_t nHeader = ReadU32(value, 0);
    const std::size_t nLength = nHeader & kLongValueLengthMask;
    // Rows may share one long value; what they decode together is bounded.
    Require(nLength <= kMaxLongValueBytesPerTable - m_nLongValueBytes,
            "the table's long values are larger than the store loads");
    m_nLongValueBytes += nLength;
    if (nHeader & kLongValueInline) {
        Require(nLength <= value.size() - kLongValueHeader, "an inline long value is cut off");
        return std::vector<std::uint8_t>(
            value.begin() + kLongValueHeader,
            value.begin() + static_cast<std::ptrdiff_t>(kLongValueHeader + nLength));
    }
    // Never more than the file can hold, checked before anything is reserved.
    Require(nLength <= std::uint64_t{m_pPages->GetPageCount()} * kPageSize,
            "a long value is longer than the file");
    std::uint32_t nPointer = ReadU32(value, 4);
    std::vector<std::uint8_t> bytes;
    if (nHeader & kLongValueSinglePage) {
        bytes = ReadRow(nPointer);
        Require(bytes.size() >= nLength, "a long value is shorter than its length");
        bytes.resize(nLength);
        return bytes;
    }
    // A chain of rows: each starts with the pointer to the next.
    std::size_t nHops = 0;
    while (bytes.size() < nLength) {
        Require(nPointer != 0, "a long value's chain ends early");
        Require(++nHops <= m_pPages->GetPageCount() * std::size_t{256},
                "a long value's chain does not end");
        const std::vector<std::uint8_t> row = ReadRow(nPointer);
        Require(row.size() >= 4, "a long value's row is too short");
        nPointer = ReadU32(CBytes(row), 0);
        bytes.insert(bytes.end(), row.begin() + 4, row.end());
    }
    bytes.resize(nLength);
    return bytes;
}

CJetValue CJetFile::DecodeValue(const CJetColumn& column, CBytes row, const CJetField& field) {
    CJetValue value;
    if (field.bNull) return value;
    const CBytes data = row.subspan(field.nStart, field.nLength);
    switch (column.nType) {
        case COLUMN_BOOLEAN:
            value.eKind = EValueKind::integer;
            value.nInteger = field.bBoolean ? 1 : 0;
            break;
        case COLUMN_BYTE:
            value.eKind = EValueKind::integer;
            value.nInteger = ReadU8(data, 0);
            break;
        case COLUMN_INTEGER:
            value.eKind = EValueKind::integer;
            value.nInteger = static_cast<std::int16_t>(ReadU16(data, 0));
            break;
        case COLUMN_LONG:
            value.eKind = EValueKind::integer;
            value.nInteger = static_cast<std::int32_t>(ReadU32(data, 0));
            break;
        case COLUMN_TEXT:
            value.eKind = EValueKind::text;
            value.strText = DecodeText(data);
            break;
        case COLUMN_MEMO: {
            const std::vector<std::uint8_t> bytes = ReadLongValue(data);
            value.eKind = EValueKind::text;
            value.strText = DecodeText(CBytes(bytes));
            break;
        }
        default:
            value.eKind = EValueKind::other;
            break;
    }
    return value;
}

void CJetFile::LoadRows(std::uint32_t nDefinitionPage, const std::vector<bool>& wanted,
                        CJetTableContents& table) {
    const CJetTableDefinition& definition = table.definition;
    const std::size_t nColumns = definition.columns.size();
    if (nColumns == 0) return;

    struct CMapReader final : CJetMapPageReader {
        CJetFile& file;
        explicit CMapReader(CJetFile& f) : file(f) {}
        CBytes ReadMapPage(std::uint32_t nPage) override {
            file.m_pPages->ReadPage(nPage, file.m_otherPage);
            return PageBytes(file.m_otherPage);
        }
    } mapReader(*this);
    const std::vector<std::uint8_t> map = ReadRow(definition.nUsageMapRow);
    const std::vector<std::uint32_t> pages =
        ReadUsageMap(CBytes(map), m_pPages->GetPageCount(), mapReader);

    std::vector<CJetField> fields;
    m_nLongValueBytes = 0;
    for (const std::uint32_t nPage : pages) {
        m_pPages->ReadPage(nPage, m_dataPage);
        const CBytes page = PageBytes(m_dataPage);
        // The map may list pages the table no longer uses for rows.
        if (page[0] != 0x01 || ReadU32(page, 4) != nDefinitionPage) continue;
        for (const CJetRowSlot& slot : ReadRowSlots(page)) {
            if (slot.bDeleted) continue;
            std::vector<std::uint8_t> moved;
            CBytes row = page.subspan(slot.nStart, slot.nEnd - slot.nStart);
            if (slot.bOverflow) {
                // The row was moved; its slot keeps a pointer to where it is now.
                std::uint32_t nPointer = ReadU32(row, 0);
                for (std::size_t nHop = 0;; ++nHop) {
                    Require(nHop < kMaxOverflowHops, "a moved row's pointers do not end");
                    const std::uint32_t nTarget = PointerPage(nPointer);
                    Require(nTarget != 0 && nTarget < m_pPages->GetPageCount(),
                            "a moved row's pointer names a page beyond the end of the file");
                    m_pPages->ReadPage(nTarget, m_otherPage);
                    const CBytes other = PageBytes(m_otherPage);
                    Require(other[0] == 0x01 && ReadU32(other, 4) == nDefinitionPage,
                            "a moved row lies on a page of another table");
                    const std::optional<CJetRowSlot> target =
                        ReadRowSlot(other, PointerRow(nPointer));
                    Require(target.has_value(), "a moved row's pointer names no row");
                    if (target->bOverflow && !target->bDeleted) {
                        nPointer = ReadU32(
                            other.subspan(target->nStart, target->nEnd - target->nStart), 0);
                        continue;
                    }
                    moved.assign(other.begin() + static_cast<std::ptrdiff_t>(target->nStart),
                                 other.begin() + static_cast<std::ptrdiff_t>(target->nEnd));
                    break;
                }
                row = CBytes(moved);
            }
            CrackRow(row, definition, fields);
            Require(table.values.size() + nColumns <= kMaxValuesPerTable,
                    "the table holds more values than the store loads");
            for (std::size_t c = 0; c < nColumns; ++c) {
                table.values.push_back(
                    wanted[c] ? DecodeValue(definition.columns[c], row, fields[c]) : CJetValue{});
            }
        }
    }
}

CJetTableContents CJetFile::LoadTable(const CCatalogEntry& entry) {
    CJetTableContents table;
    table.strName = entry.strName;
    table.definition = ReadDefinition(entry.nDefinitionPage);
    LoadRows(entry.nDefinitionPage, std::vector<bool>(table.definition.columns.size(), true),
             table);
    return table;
}

const std::vector<CCatalogEntry>& CJetFile::GetCatalog() {
    if (m_bCatalogRead) return m_catalog;
    CJetTableContents objects;
    objects.strName = "MSysObjects";
    objects.definition = ReadDefinition(kCatalogDefinitionPage);
    const CJetTableDefinition& definition = objects.definition;
    const std::size_t nId = FindColumn(definition, "Id");
    const std::size_t nName = FindColumn(definition, "Name");
    const std::size_t nType = FindColumn(definition, "Type");
    const std::size_t nFlags = FindColumn(definition, "Flags");
    const std::size_t nColumns = definition.columns.size();
    Require(nId < nColumns && nName < nColumns && nType < nColumns,
            "the catalog lacks the fields Id, Name or Type");
    std::vector<bool> wanted(nColumns, false);
    wanted[nId] = wanted[nName] = wanted[nType] = true;
    if (nFlags < nColumns) wanted[nFlags] = true;
    LoadRows(kCatalogDefinitionPage, wanted, objects);

    std::vector<CCatalogEntry> catalog;
    for (std::size_t r = 0; r < objects.GetRowCount(); ++r) {
        const CJetValue& id = objects.At(r, nId);
        const CJetValue& name = objects.At(r, nName);
        const CJetValue& type = objects.At(r, nType);
        if (id.eKind != EValueKind::integer || name.eKind != EValueKind::text ||
            type.eKind != EValueKind::integer) {
            continue;
        }
        CCatalogEntry entry;
        entry.strName = name.strText;
        entry.nDefinitionPage = static_cast<std::uint32_t>(id.nInteger) & 0x00FFFFFFu;
        entry.nType = static_cast<std::uint16_t>(type.nInteger & 0x7F);
        if (nFlags < nColumns && objects.At(r, nFlags).eKind == EValueKind::integer) {
            entry.nFlags = static_cast<std::uint32_t>(objects.At(r, nFlags).nInteger);
        }
        catalog.push_back(std::move(entry));
    }
    m_catalog = std::move(catalog);
    m_bCatalogRead = true;
    return m_catalog;
}

const CCatalogEntry* CJetFile::FindTable(std::string_view strName) {
    const CCatalogEntry* pFound = nullptr;
    for (const CCatalogEntry& entry : GetCatalog()) {
        if (!EqualNoCase(entry.strName, strName)) continue;
        if (entry.IsTable()) return &entry;
        if (entry.IsLinkedTable() && pFound == nullptr) pFound = &entry;
    }
    return pFound;
}

}  // namespace vd::jet
