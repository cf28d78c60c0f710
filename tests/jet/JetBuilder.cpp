#include "tests/jet/JetBuilder.h"

#include <algorithm>
#include <array>
#include <stdexcept>
#include <utility>

#include "projectdb/JetPageFile.h"

namespace vd::test::jet {
namespace {

constexpr std::size_t kPage = 4096;
using CPage = std::array<std::uint8_t, kPage>;
using CBytes = std::vector<std::uint8_t>;

constexpr std::uint8_t kBoolean = 0x01, kByte = 0x02, kInteger = 0x03, kLong = 0x04, kText = 0x0a,
                       kOle = 0x0b, kMemo = 0x0c;

void Put16(std::uint8_t* p, std::uint32_t n) {
    p[0] = static_cast<std::uint8_t>(n);
    p[1] = static_cast<std::uint8_t>(n >> 8);
}
void Put32(std::uint8_t* p, std::uint32_t n) {
    Put16(p, n & 0xFFFF);
    Put16(p + 2, n >> 16);
}
void Append16(CBytes& out, std::uint32_t n) {
    out.push_back(static_cast<std::uint8_t>(n));
    out.push_back(static_cast<std::uint8_t>(n >> 8));
}
void Append32(CBytes& out, std::uint32_t n) {
    Append16(out, n & 0xFFFF);
    Append16(out, n >> 16);
}
std::uint16_t Get16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::vector<char16_t> Utf16(const std::string& text) {
    std::vector<char16_t> out;
    for (std::size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        char32_t c = b;
        std::size_t n = 1;
        if (b >= 0xF0) {
            c = b & 0x07;
            n = 4;
        } else if (b >= 0xE0) {
            c = b & 0x0F;
            n = 3;
        } else if (b >= 0xC0) {
            c = b & 0x1F;
            n = 2;
        }
        for (std::size_t k = 1; k < n && i + k < text.size(); ++k) {
            c = (c << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        }
        i += n;
        if (c >= 0x10000) {
            out.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(c));
        }
    }
    return out;
}

// A text value as Jet 4 stores it: UTF-16LE, or compressed (FF FE, then
// runs of one byte per character and of UTF-16LE, each ended by a zero byte).
CBytes EncodeText(const std::string& text, bool bCompressed) {
    CBytes out;
    const std::vector<char16_t> units = Utf16(text);
    if (!bCompressed) {
        for (const char16_t u : units) Append16(out, u);
        return out;
    }
    out = {0xFF, 0xFE};
    bool bOneByte = true;
    for (const char16_t u : units) {
        const bool bFits = u != 0 && u < 0x100;
        if (bFits != bOneByte) {
            out.push_back(0);
            bOneByte = bFits;
        }
        if (bOneByte) {
            out.push_back(static_cast<std::uint8_t>(u));
        } else {
            Append16(out, u);
        }
    }
    return out;
}

bool IsFixed(std::uint8_t nType) {
    return nType != kText && nType != kMemo && nType != 0x09 && nType != kOle;
}

std::uint16_t SizeOf(const CColumnDef& column) {
    if (column.nLength != 0) return column.nLength;
    switch (column.nType) {
        case kBoolean:
            return 0;
        case kByte:
            return 1;
        case kInteger:
            return 2;
        case kText:
            return 510;
        case kMemo:
            return 0;
        case 0x05:  // Currency
        case 0x07:  // Double
        case 0x08:  // Date/Time
            return 8;
        default:
            return 4;
    }
}

class CImage {
  public:
    std::uint32_t NewPage() {
        m_pages.emplace_back();
        m_pages.back().fill(0);
        return static_cast<std::uint32_t>(m_pages.size() - 1);
    }
    CPage& Page(std::uint32_t n) { return m_pages[n]; }
    std::uint32_t GetPageCount() const { return static_cast<std::uint32_t>(m_pages.size()); }

    std::uint32_t NewDataPage(std::uint32_t nOwner) {
        const std::uint32_t n = NewPage();
        CPage& page = Page(n);
        page[0] = 0x01;
        page[1] = 0x01;
        Put32(page.data() + 4, nOwner);
        Put16(page.data() + 2, kPage - 14);
        return n;
    }

    // Adds a row to a data page; answers its row number, or -1 when full.
    int AddRow(std::uint32_t nPage, const CBytes& row, std::uint16_t nFlags) {
        CPage& page = Page(nPage);
        const std::size_t nRows = Get16(page.data() + 12);
        const std::size_t nEnd =
            nRows == 0 ? kPage : (Get16(page.data() + 14 + 2 * (nRows - 1)) & 0x1FFF);
        if (nRows >= 255 || row.size() + 14 + 2 * (nRows + 1) > nEnd) return -1;
        const std::size_t nStart = nEnd - row.size();
        std::copy(row.begin(), row.end(), page.begin() + static_cast<std::ptrdiff_t>(nStart));
        Put16(page.data() + 14 + 2 * nRows, static_cast<std::uint32_t>(nStart) | nFlags);
        Put16(page.data() + 12, static_cast<std::uint32_t>(nRows + 1));
        Put16(page.data() + 2, static_cast<std::uint32_t>(nStart - 14 - 2 * (nRows + 1)));
        return static_cast<int>(nRows);
    }

    // Adds a row to the last page of pages, opening a new page when full;
    // answers its page-and-row pointer.
    std::uint32_t AddRowSomewhere(std::vector<std::uint32_t>& pages, std::uint32_t nOwner,
                                  const CBytes& row, std::uint16_t nFlags) {
        if (pages.empty()) pages.push_back(NewDataPage(nOwner));
        int nRow = AddRow(pages.back(), row, nFlags);
        if (nRow < 0) {
            pages.push_back(NewDataPage(nOwner));
            nRow = AddRow(pages.back(), row, nFlags);
            if (nRow < 0) throw std::length_error("a row does not fit on a page");
        }
        return (pages.back() << 8) | static_cast<std::uint32_t>(nRow);
    }

    std::vector<std::uint8_t> Bytes() const {
        std::vector<std::uint8_t> out;
        for (const CPage& page : m_pages) out.insert(out.end(), page.begin(), page.end());
        return out;
    }

    std::vector<std::uint32_t> m_systemPages;  // usage maps of all tables
    std::vector<std::uint32_t> m_longValuePages;

  private:
    std::vector<CPage> m_pages;
};

struct CLayout {
    std::vector<std::uint16_t> fixedOffsets;
    std::vector<std::uint16_t> varIndexes;
    std::size_t nFixedSize = 0;
    std::size_t nVarColumns = 0;
};

CLayout LayOut(const CTableDef& table) {
    CLayout layout;
    for (const CColumnDef& column : table.columns) {
        if (IsFixed(column.nType)) {
            layout.fixedOffsets.push_back(static_cast<std::uint16_t>(layout.nFixedSize));
            layout.varIndexes.push_back(0);
            layout.nFixedSize += SizeOf(column);
        } else {
            layout.fixedOffsets.push_back(0);
            layout.varIndexes.push_back(static_cast<std::uint16_t>(layout.nVarColumns++));
        }
    }
    return layout;
}

CBytes EncodeMemo(CImage& image, const CColumnDef& column, const std::string& text) {
    const CBytes data = EncodeText(text, column.bCompressedText);
    CBytes value;
    const auto nLength = static_cast<std::uint32_t>(data.size());
    switch (column.eMemoForm) {
        case EMemoForm::inlineValue:
            Append32(value, nLength | 0x80000000u);
            Append32(value, 0);
            Append32(value, 0);
            value.insert(value.end(), data.begin(), data.end());
            break;
        case EMemoForm::singlePage: {
            const std::uint32_t nPointer =
                image.AddRowSomewhere(image.m_longValuePages, 0x4C41564C, data, 0);
            Append32(value, nLength | 0x40000000u);
            Append32(value, nPointer);
            Append32(value, 0);
            break;
        }
        case EMemoForm::chain: {
            // Pieces of at most 2000 bytes, each row led by the pointer to
            // the next; written from the last piece back.
            std::uint32_t nFirst = 0;
            const std::size_t nPieces = data.empty() ? 1 : (data.size() + 1999) / 2000;
            for (std::size_t k = nPieces; k-- > 0;) {
                CBytes piece;
                Append32(piece, nFirst);
                const std::size_t nFrom = k * 2000;
                const std::size_t nTo = std::min(data.size(), nFrom + 2000);
                piece.insert(piece.end(), data.begin() + static_cast<std::ptrdiff_t>(nFrom),
                             data.begin() + static_cast<std::ptrdiff_t>(nTo));
                nFirst = image.AddRowSomewhere(image.m_longValuePages, 0x4C41564C, piece, 0);
            }
            Append32(value, nLength);
            Append32(value, nFirst);
            Append32(value, 0);
            break;
        }
    }
    return value;
}

CBytes EncodeRow(CImage& image, const CTableDef& table, const CLayout& layout, const CRowDef& row) {
    const std::size_t nColumns = table.columns.size();
    const std::size_t nStored =
        row.nStoredColumns < 0 ? nColumns : static_cast<std::size_t>(row.nStoredColumns);
    CBytes out;
    Append16(out, static_cast<std::uint32_t>(nStored));
    std::size_t nFixedEnd = 0;
    for (std::size_t c = 0; c < nStored; ++c) {
        if (IsFixed(table.columns[c].nType)) {
            nFixedEnd =
                std::max<std::size_t>(nFixedEnd, layout.fixedOffsets[c] + SizeOf(table.columns[c]));
        }
    }
    out.resize(2 + nFixedEnd, 0);
    std::vector<std::uint8_t> mask((nStored + 7) / 8, 0);
    std::vector<std::pair<std::size_t, CBytes>> varValues;  // var index, bytes
    for (std::size_t c = 0; c < nStored; ++c) {
        const CColumnDef& column = table.columns[c];
        const CCell cell = c < row.cells.size() ? row.cells[c] : CCell{};
        const bool bNull = std::holds_alternative<std::monostate>(cell);
        if (column.nType == kBoolean) {
            if (!bNull && std::get<std::int32_t>(cell) != 0) mask[c / 8] |= 1 << (c % 8);
            continue;
        }
        if (!bNull) mask[c / 8] |= 1 << (c % 8);
        if (IsFixed(column.nType)) {
            if (bNull) continue;
            const auto n = static_cast<std::uint32_t>(std::get<std::int32_t>(cell));
            std::uint8_t* p = out.data() + 2 + layout.fixedOffsets[c];
            if (column.nType == kByte) {
                p[0] = static_cast<std::uint8_t>(n);
            } else if (column.nType == kInteger) {
                Put16(p, n);
            } else {
                Put32(p, n);
            }
        } else {
            CBytes bytes;
            if (!bNull) {
                const std::string& text = std::get<std::string>(cell);
                bytes = column.nType == kMemo ? EncodeMemo(image, column, text)
                                              : EncodeText(text, column.bCompressedText);
            }
            varValues.emplace_back(layout.varIndexes[c], std::move(bytes));
        }
    }
    if (layout.nVarColumns > 0) {
        std::vector<std::uint16_t> offsets;
        for (const auto& [nIndex, bytes] : varValues) {
            offsets.push_back(static_cast<std::uint16_t>(out.size()));
            out.insert(out.end(), bytes.begin(), bytes.end());
        }
        Append16(out, static_cast<std::uint32_t>(out.size()));  // end of the data
        for (auto it = offsets.rbegin(); it != offsets.rend(); ++it) Append16(out, *it);
        Append16(out, static_cast<std::uint32_t>(varValues.size()));
    }
    out.insert(out.end(), mask.begin(), mask.end());
    return out;
}

CBytes EncodeName(const std::string& strName) {
    CBytes out;
    const CBytes text = EncodeText(strName, false);
    Append16(out, static_cast<std::uint32_t>(text.size()));
    out.insert(out.end(), text.begin(), text.end());
    return out;
}

// Builds one table: its definition on nDefinitionPage (and continuation
// pages), its data pages and its usage map.
void BuildTable(CImage& image, std::uint32_t nDefinitionPage, const CTableDef& table) {
    const CLayout layout = LayOut(table);

    // Rows.
    std::vector<std::uint32_t> dataPages;
    std::vector<std::uint32_t> movedPages;
    std::uint32_t nLiveRows = 0;
    for (const CRowDef& row : table.rows) {
        const CBytes bytes = EncodeRow(image, table, layout, row);
        if (!row.bDeleted) ++nLiveRows;
        if (row.bMoved) {
            // The row's new place is marked deleted so that a walk of the
            // pages does not meet it twice; the old slot points to it.
            const std::uint32_t nTarget =
                image.AddRowSomewhere(movedPages, nDefinitionPage, bytes, 0x8000);
            CBytes pointer;
            Append32(pointer, nTarget);
            image.AddRowSomewhere(dataPages, nDefinitionPage, pointer, 0x4000);
        } else {
            // A deleted row carries both flags, as Jet writes it: readers
            // that take 0x4000 for the deletion (libmdb) skip it too.
            image.AddRowSomewhere(dataPages, nDefinitionPage, bytes, row.bDeleted ? 0xC000 : 0);
        }
    }
    dataPages.insert(dataPages.end(), movedPages.begin(), movedPages.end());

    // Usage map.
    CBytes map;
    if (table.bMapPages) {
        const std::uint32_t nMapPage = image.NewPage();
        CPage& page = image.Page(nMapPage);
        page[0] = 0x05;
        page[1] = 0x01;
        for (const std::uint32_t n : dataPages)
            page[4 + n / 8] |= static_cast<std::uint8_t>(1 << (n % 8));
        map.push_back(1);
        Append32(map, nMapPage);
    } else {
        map.push_back(0);
        Append32(map, 0);
        std::uint32_t nMax = 0;
        for (const std::uint32_t n : dataPages) nMax = std::max(nMax, n);
        map.resize(5 + nMax / 8 + 1, 0);
        for (const std::uint32_t n : dataPages)
            map[5 + n / 8] |= static_cast<std::uint8_t>(1 << (n % 8));
    }
    const std::uint32_t nMapRow = image.AddRowSomewhere(image.m_systemPages, 0, map, 0);

    // Physical indexes: one per named index, or one per shared group.
    std::vector<std::uint32_t> physicalOf(table.indexes.size());
    std::vector<std::size_t> physicalSource;  // the named index whose keys it holds
    for (std::size_t i = 0; i < table.indexes.size(); ++i) {
        bool bShared = false;
        for (std::size_t k = 0; k < i; ++k) {
            if (table.indexes[i].nSharedGroup >= 0 &&
                table.indexes[k].nSharedGroup == table.indexes[i].nSharedGroup) {
                physicalOf[i] = physicalOf[k];
                bShared = true;
                break;
            }
        }
        if (!bShared) {
            physicalOf[i] = static_cast<std::uint32_t>(physicalSource.size());
            physicalSource.push_back(i);
        }
    }

    // The definition.
    CBytes def(63, 0);
    def[0] = 0x02;
    def[1] = 0x01;
    Put32(def.data() + 16, nLiveRows);
    def[40] = 0x4E;
    Put16(def.data() + 41, static_cast<std::uint32_t>(table.columns.size()));
    Put16(def.data() + 43, static_cast<std::uint32_t>(layout.nVarColumns));
    Put16(def.data() + 45, static_cast<std::uint32_t>(table.columns.size()));
    Put32(def.data() + 47, static_cast<std::uint32_t>(table.indexes.size()));
    Put32(def.data() + 51, static_cast<std::uint32_t>(physicalSource.size()));
    Put32(def.data() + 55, nMapRow);
    Put32(def.data() + 59, nMapRow);
    for (std::size_t i = 0; i < physicalSource.size(); ++i) {
        Append32(def, 0);
        Append32(def, nLiveRows);
        Append32(def, 0);
    }
    for (std::size_t c = 0; c < table.columns.size(); ++c) {
        const CColumnDef& column = table.columns[c];
        CBytes entry(25, 0);
        entry[0] = column.nType;
        Put16(entry.data() + 5, static_cast<std::uint32_t>(c));
        Put16(entry.data() + 7, layout.varIndexes[c]);
        Put16(entry.data() + 9, static_cast<std::uint32_t>(c));
        if (column.nType == kText || column.nType == kMemo) Put16(entry.data() + 11, 1033);
        entry[15] = static_cast<std::uint8_t>((IsFixed(column.nType) ? 0x01 : 0x00) | 0x02);
        entry[16] = column.bCompressedText ? 0x01 : 0x00;
        Put16(entry.data() + 21, layout.fixedOffsets[c]);
        Put16(entry.data() + 23, SizeOf(column));
        def.insert(def.end(), entry.begin(), entry.end());
    }
    for (const CColumnDef& column : table.columns) {
        const CBytes name = EncodeName(column.strName);
        def.insert(def.end(), name.begin(), name.end());
    }
    auto columnNumber = [&](const std::string& strName) {
        for (std::size_t c = 0; c < table.columns.size(); ++c) {
            if (table.columns[c].strName == strName) return static_cast<std::uint32_t>(c);
        }
        throw std::invalid_argument("no column " + strName);
    };
    for (const std::size_t nSource : physicalSource) {
        CBytes entry(52, 0);
        const auto& keys = table.indexes[nSource].keys;
        for (std::size_t k = 0; k < 10; ++k) {
            if (k < keys.size()) {
                const bool bDescending = !keys[k].empty() && keys[k][0] == '-';
                Put16(entry.data() + 4 + 3 * k,
                      columnNumber(bDescending ? keys[k].substr(1) : keys[k]));
                entry[6 + 3 * k] = bDescending ? 0 : 1;
            } else {
                Put16(entry.data() + 4 + 3 * k, 0xFFFF);
            }
        }
        def.insert(def.end(), entry.begin(), entry.end());
    }
    for (std::size_t i = 0; i < table.indexes.size(); ++i) {
        CBytes entry(28, 0);
        Put32(entry.data(), 0x0659);
        Put32(entry.data() + 4, static_cast<std::uint32_t>(i));
        Put32(entry.data() + 8, physicalOf[i]);
        def.insert(def.end(), entry.begin(), entry.end());
    }
    for (const CIndexDef& index : table.indexes) {
        const CBytes name = EncodeName(index.strName);
        def.insert(def.end(), name.begin(), name.end());
    }
    Put32(def.data() + 8, static_cast<std::uint32_t>(def.size()));

    // Onto the definition page and continuation pages.
    std::size_t nDone = std::min(def.size(), kPage);
    std::copy(def.begin(), def.begin() + static_cast<std::ptrdiff_t>(nDone),
              image.Page(nDefinitionPage).begin());
    std::uint32_t nPrevious = nDefinitionPage;
    while (nDone < def.size()) {
        const std::uint32_t nNext = image.NewPage();
        Put32(image.Page(nPrevious).data() + 4, nNext);
        CPage& page = image.Page(nNext);
        page[0] = 0x02;
        page[1] = 0x01;
        const std::size_t nPart = std::min(def.size() - nDone, kPage - 8);
        std::copy(def.begin() + static_cast<std::ptrdiff_t>(nDone),
                  def.begin() + static_cast<std::ptrdiff_t>(nDone + nPart), page.begin() + 8);
        nDone += nPart;
        nPrevious = nNext;
    }
}

void WriteHeader(CPage& page) {
    page[1] = 0x01;
    const char kSignature[] = "Standard Jet DB";
    std::copy(kSignature, kSignature + sizeof kSignature, page.begin() + 4);
    Put32(page.data() + 0x14, 1);  // Jet 4
    // The block from 0x18 is stored RC4-encrypted with a fixed key; in clear
    // it holds the code page (1252), a zero database key and the sort order.
    Put16(page.data() + 0x3C, 1252);
    Put16(page.data() + 0x6E, 1033);
    const std::uint8_t key[] = {0xC7, 0xDA, 0x39, 0x6B};
    vd::jet::JetRc4(key, sizeof key, page.data() + 0x18, 128);
}

}  // namespace

std::vector<CTableDef> ProjectTables() {
    constexpr std::uint8_t kLong = 0x04, kText = 0x0a;
    return {
        {"Sources",
         {{"Idx", kLong},
          {"SourcesStammIdx", kLong},
          {"MainDocHeadLinesIdx", kLong},
          {"CompileStammIdx", kLong},
          {"DirectoryListIdx", kLong}},
         {{"IDX", {"Idx"}}},
         {}},
        {"SourcesStamm",
         {{"Idx", kLong}, {"DestinationPath", kText}, {"Destination", kLong}},
         {{"IDX", {"Idx"}}},
         {}},
        {"DirectoryList",
         {{"Idx", kLong}, {"DestinationIdx", kLong}, {"FileMask", kText}, {"Directory", kText}},
         {{"IDXDESTINATIONIDX", {"Idx", "DestinationIdx"}}},
         {}},
        {"CompileStamm",
         {{"Idx", kLong}, {"Extension", kText}, {"StartPage", kText}},
         {{"IDX", {"Idx"}}},
         {}},
        {"HeadLines",
         {{"Idx", kLong}, {"Position", kLong}, {"Name", kText}, {"Number", kLong}, {"Deep", kLong}},
         {{"IDX", {"Idx", "Position"}}, {"IDXNAME", {"Idx", "Name"}}},
         {}},
    };
}

std::vector<CRowDef> Rows(const std::vector<std::vector<CCell>>& cells) {
    std::vector<CRowDef> rows;
    for (const auto& row : cells) rows.push_back(CRowDef{row});
    return rows;
}

std::vector<std::uint8_t> BuildJetDatabase(const std::vector<CTableDef>& tables) {
    CImage image;
    WriteHeader(image.Page(image.NewPage()));
    image.NewPage();  // page 1: the global usage map, unused here
    const std::uint32_t nCatalogPage = image.NewPage();  // page 2: the catalog's definition

    CTableDef catalog;
    catalog.strName = "MSysObjects";
    // libmdb reads the catalog only when it has the properties column
    // LvProp (OLE Object), NULL here.
    catalog.columns = {{"Id", kLong},      {"ParentId", kLong}, {"Name", kText},
                       {"Type", kInteger}, {"Flags", kLong},    {"LvProp", kOle}};
    catalog.rows.push_back(
        CRowDef{{std::int32_t{2}, std::int32_t{0x0F000001}, std::string("MSysObjects"),
                 std::int32_t{1}, static_cast<std::int32_t>(0x80000002u)}});
    for (const CTableDef& table : tables) {
        const std::uint32_t nPage = image.NewPage();
        BuildTable(image, nPage, table);
        catalog.rows.push_back(CRowDef{{static_cast<std::int32_t>(nPage), std::int32_t{0x0F000001},
                                        table.strName, std::int32_t{1}, std::int32_t{0}}});
    }
    BuildTable(image, nCatalogPage, catalog);
    return image.Bytes();
}

}  // namespace vd::test::jet
