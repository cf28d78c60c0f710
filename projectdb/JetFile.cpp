#include "projectdb/JetFile.h"

#include <algorithm>
#include <cstring>

namespace vd::jet {
namespace {

constexpr std::uint32_t kCatalogDefinitionPage = 2;
constexpr std::size_t kMaxDefinitionPages = 64;  // a definition of 256 KB is far beyond any table
constexpr std::size_t kMaxOverflowHops = 8;
// What one table's loaded values may take, whatever the file claims: a
// multiple of the file's size, and never more than an absolute bound.
constexpr std::uint64_t kLoadBoundFactor = 64;
constexpr std::uint64_t kLoadBoundMax = std::uint64_t{1} << 30;
// What a row's place and a loaded value take besides text bytes.
constexpr std::uint64_t kRowPlaceBytes = sizeof(CJetRowPlace);
constexpr std::uint64_t kValueBytes = sizeof(EValueKind) + sizeof(std::int32_t);
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

std::vector<std::uint8_t> CJetFile::ReadLongValue(CBytes value, std::size_t nBudget) {
    Require(value.size() >= kLongValueHeader, "a long value is shorter than its header");
    const std::uint32_t nHeader = ReadU32(value, 0);
    const std::size_t nLength = nHeader & kLongValueLengthMask;
    // Rows may share one long value; what they decode together counts
    // against the table's bound before anything is read.
    if (nLength > nBudget) {
        throw CJetLimitError("its long values take more memory than " +
                             std::to_string(GetLoadBound() >> 20) + " MiB");
    }
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

CJetValue CJetTableContents::At(std::size_t nRow, std::size_t nColumn) const {
    const CJetColumnValues& values = columns[nColumn];
    CJetValue value;
    value.eKind = values.kinds[nRow];
    if (value.eKind == EValueKind::integer) {
        value.nInteger = values.integers[nRow];
    } else if (value.eKind == EValueKind::text) {
        const std::size_t nStart = nRow == 0 ? 0 : values.textEnds[nRow - 1];
        value.strText =
            std::string_view(values.text).substr(nStart, values.textEnds[nRow] - nStart);
    }
    return value;
}

std::size_t CJetFile::GetLoadBound() const {
    const std::uint64_t nFileBytes = std::uint64_t{m_pPages->GetPageCount()} * kPageSize;
    return static_cast<std::size_t>(std::min(kLoadBoundFactor * nFileBytes, kLoadBoundMax));
}

void CJetFile::Charge(CJetTableContents& table, std::uint64_t nBytes) const {
    const std::uint64_t nBound = GetLoadBound();
    if (nBytes > nBound - std::min<std::uint64_t>(table.nLoadedBytes, nBound)) {
        throw CJetLimitError("its values would take more than " + std::to_string(nBound >> 20) +
                             " MiB in memory, the most the store loads from this file (64 " +
                             "times its size, never more than 1 GiB)");
    }
    table.nLoadedBytes += static_cast<std::size_t>(nBytes);
}

std::vector<CJetRowPlace> CJetFile::ReadRowPlaces(const CJetTableContents& table) {
    const std::uint32_t nDefinitionPage = table.nDefinitionPage;
    struct CMapReader final : CJetMapPageReader {
        CJetFile& file;
        explicit CMapReader(CJetFile& f) : file(f) {}
        CBytes ReadMapPage(std::uint32_t nPage) override {
            file.m_pPages->ReadPage(nPage, file.m_otherPage);
            return PageBytes(file.m_otherPage);
        }
    } mapReader(*this);
    const std::vector<std::uint8_t> map = ReadRow(table.definition.nUsageMapRow);
    const std::vector<std::uint32_t> pages =
        ReadUsageMap(CBytes(map), m_pPages->GetPageCount(), mapReader);

    std::vector<CJetRowPlace> places;
    const std::uint64_t nBound = GetLoadBound();
    for (const std::uint32_t nPage : pages) {
        m_pPages->ReadPage(nPage, m_dataPage);
        const CBytes page = PageBytes(m_dataPage);
        // The map may list pages the table no longer uses for rows.
        if (page[0] != 0x01 || ReadU32(page, 4) != nDefinitionPage) continue;
        for (const CJetRowSlot& slot : ReadRowSlots(page)) {
            if (slot.bDeleted) continue;
            CJetRowPlace place{nPage, static_cast<std::uint16_t>(slot.nStart),
                               static_cast<std::uint16_t>(slot.nEnd)};
            if (slot.bOverflow) {
                // The row was moved; its slot keeps a pointer to where it is now.
                std::uint32_t nPointer =
                    ReadU32(page.subspan(slot.nStart, slot.nEnd - slot.nStart), 0);
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
                    place = CJetRowPlace{nTarget, static_cast<std::uint16_t>(target->nStart),
                                         static_cast<std::uint16_t>(target->nEnd)};
                    break;
                }
            }
            if ((places.size() + 1) * kRowPlaceBytes > nBound) {
                throw CJetLimitError("its rows take more memory than " +
                                     std::to_string(nBound >> 20) + " MiB");
            }
            places.push_back(place);
        }
    }
    return places;
}

CJetTableContents CJetFile::OpenTable(const CCatalogEntry& entry) {
    CJetTableContents table;
    table.strName = entry.strName;
    table.nDefinitionPage = entry.nDefinitionPage;
    table.definition = ReadDefinition(entry.nDefinitionPage);
    table.columns.resize(table.definition.columns.size());
    table.rows = ReadRowPlaces(table);
    Charge(table, table.rows.size() * kRowPlaceBytes);
    return table;
}

void CJetFile::LoadColumns(CJetTableContents& table, const std::vector<std::size_t>& wanted) {
    std::vector<std::size_t> columns;
    for (const std::size_t c : wanted) {
        if (!table.columns[c].bLoaded &&
            std::find(columns.begin(), columns.end(), c) == columns.end()) {
            columns.push_back(c);
        }
    }
    if (columns.empty()) return;
    const std::size_t nRows = table.rows.size();
    const std::size_t nLoadedBefore = table.nLoadedBytes;
    // The values are built aside and kept only when every column loaded.
    std::vector<CJetColumnValues> loaded(columns.size());
    try {
        Charge(table, std::uint64_t{kValueBytes} * nRows * columns.size());
        for (std::size_t k = 0; k < columns.size(); ++k) {
            const std::uint8_t nType = table.definition.columns[columns[k]].nType;
            loaded[k].kinds.reserve(nRows);
            if (nType == COLUMN_TEXT || nType == COLUMN_MEMO) {
                loaded[k].textEnds.reserve(nRows);
            } else {
                loaded[k].integers.reserve(nRows);
            }
        }
        std::uint32_t nCurrentPage = 0;
        for (const CJetRowPlace& place : table.rows) {
            if (place.nPage != nCurrentPage) {
                m_pPages->ReadPage(place.nPage, m_dataPage);
                nCurrentPage = place.nPage;
            }
            const CBytes row =
                PageBytes(m_dataPage).subspan(place.nStart, place.nEnd - place.nStart);
            const CJetRowLayout layout = ReadRowLayout(row, table.definition);
            for (std::size_t k = 0; k < columns.size(); ++k) {
                const CJetColumn& column = table.definition.columns[columns[k]];
                CJetColumnValues& values = loaded[k];
                const CJetField field = FieldOf(row, layout, column);
                const bool bText = column.nType == COLUMN_TEXT || column.nType == COLUMN_MEMO;
                EValueKind eKind = EValueKind::null;
                std::int32_t nInteger = 0;
                if (!field.bNull) {
                    const CBytes data = row.subspan(field.nStart, field.nLength);
                    switch (column.nType) {
                        case COLUMN_BOOLEAN:
                            eKind = EValueKind::integer;
                            nInteger = field.bBoolean ? 1 : 0;
                            break;
                        case COLUMN_BYTE:
                            eKind = EValueKind::integer;
                            nInteger = ReadU8(data, 0);
                            break;
                        case COLUMN_INTEGER:
                            eKind = EValueKind::integer;
                            nInteger = static_cast<std::int16_t>(ReadU16(data, 0));
                            break;
                        case COLUMN_LONG:
                            eKind = EValueKind::integer;
                            nInteger = static_cast<std::int32_t>(ReadU32(data, 0));
                            break;
                        case COLUMN_TEXT:
                        case COLUMN_MEMO: {
                            eKind = EValueKind::text;
                            if (column.nType == COLUMN_TEXT) {
                                // UTF-8 takes at most twice the stored bytes.
                                Charge(table, 2 * std::uint64_t{data.size()});
                                AppendText(data, values.text);
                            } else {
                                const std::vector<std::uint8_t> bytes = ReadLongValue(
                                    data,
                                    GetLoadBound() - std::min(table.nLoadedBytes, GetLoadBound()));
                                Charge(table, 2 * std::uint64_t{bytes.size()});
                                AppendText(CBytes(bytes), values.text);
                            }
                            break;
                        }
                        default:
                            eKind = EValueKind::other;
                            break;
                    }
                }
                values.kinds.push_back(eKind);
                if (bText) {
                    Require(values.text.size() <= 0xFFFFFFFFu, "a table's text is too long");
                    values.textEnds.push_back(static_cast<std::uint32_t>(values.text.size()));
                } else {
                    values.integers.push_back(nInteger);
                }
            }
        }
    } catch (...) {
        table.nLoadedBytes = nLoadedBefore;
        throw;
    }
    for (std::size_t k = 0; k < columns.size(); ++k) {
        loaded[k].bLoaded = true;
        loaded[k].text.shrink_to_fit();
        table.columns[columns[k]] = std::move(loaded[k]);
    }
}

CJetTableContents CJetFile::LoadTable(const CCatalogEntry& entry) {
    CJetTableContents table = OpenTable(entry);
    std::vector<std::size_t> all(table.definition.columns.size());
    for (std::size_t c = 0; c < all.size(); ++c) all[c] = c;
    LoadColumns(table, all);
    return table;
}

const std::vector<CCatalogEntry>& CJetFile::GetCatalog() {
    if (m_bCatalogRead) return m_catalog;
    CCatalogEntry self;
    self.strName = "MSysObjects";
    self.nDefinitionPage = kCatalogDefinitionPage;
    CJetTableContents objects = OpenTable(self);
    const CJetTableDefinition& definition = objects.definition;
    const std::size_t nId = FindColumn(definition, "Id");
    const std::size_t nName = FindColumn(definition, "Name");
    const std::size_t nType = FindColumn(definition, "Type");
    const std::size_t nFlags = FindColumn(definition, "Flags");
    const std::size_t nColumns = definition.columns.size();
    Require(nId < nColumns && nName < nColumns && nType < nColumns,
            "the catalog lacks the fields Id, Name or Type");
    std::vector<std::size_t> wanted = {nId, nName, nType};
    if (nFlags < nColumns) wanted.push_back(nFlags);
    LoadColumns(objects, wanted);

    std::vector<CCatalogEntry> catalog;
    for (std::size_t r = 0; r < objects.GetRowCount(); ++r) {
        const CJetValue id = objects.At(r, nId);
        const CJetValue name = objects.At(r, nName);
        const CJetValue type = objects.At(r, nType);
        if (id.eKind != EValueKind::integer || name.eKind != EValueKind::text ||
            type.eKind != EValueKind::integer) {
            continue;
        }
        CCatalogEntry entry;
        entry.strName = std::string(name.strText);
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
