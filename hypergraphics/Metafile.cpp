#include "hypergraphics/Metafile.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "common/Strings.h"
#include "gif/DibLayout.h"
#include "gif/PackedDib.h"

namespace vd {

namespace {

constexpr std::size_t kHeaderSize = 18;       // METAHEADER
constexpr std::size_t kRecordHeaderSize = 6;  // size in words, function
constexpr std::uint16_t kEndOfFile = 0x0000;
constexpr std::uint16_t kSetWindowExt = 0x020C;
constexpr std::uint16_t kStretchDib = 0x0F43;
constexpr std::uint16_t kDibStretchBlt = 0x0B41;
constexpr std::uint16_t kDibBitBlt = 0x0940;
constexpr std::uint8_t kSourceCopy = 0xCC;  // the raster operation's index byte
constexpr std::uint16_t kDibRgbColours = 0;

// What a record does, as far as publishing is concerned.
enum class EKind { SetUp, Draws, Bitmap };

struct CRecordKind {
    std::uint16_t nFunction;
    const char* pszName;
    EKind kind;
    const char* pszDraws;  // what it draws, singular
};

// Records that only set up state (mapping, colours, objects, palettes,
// clipping) and those that draw. Any other record is taken to draw.
constexpr CRecordKind kKinds[] = {
    {0x001E, "SAVEDC", EKind::SetUp, nullptr},
    {0x0035, "REALIZEPALETTE", EKind::SetUp, nullptr},
    {0x0037, "SETPALENTRIES", EKind::SetUp, nullptr},
    {0x00F7, "CREATEPALETTE", EKind::SetUp, nullptr},
    {0x0102, "SETBKMODE", EKind::SetUp, nullptr},
    {0x0103, "SETMAPMODE", EKind::SetUp, nullptr},
    {0x0104, "SETROP2", EKind::SetUp, nullptr},
    {0x0105, "SETRELABS", EKind::SetUp, nullptr},
    {0x0106, "SETPOLYFILLMODE", EKind::SetUp, nullptr},
    {0x0107, "SETSTRETCHBLTMODE", EKind::SetUp, nullptr},
    {0x0108, "SETTEXTCHAREXTRA", EKind::SetUp, nullptr},
    {0x0127, "RESTOREDC", EKind::SetUp, nullptr},
    {0x012C, "SELECTCLIPREGION", EKind::SetUp, nullptr},
    {0x012D, "SELECTOBJECT", EKind::SetUp, nullptr},
    {0x012E, "SETTEXTALIGN", EKind::SetUp, nullptr},
    {0x0139, "RESIZEPALETTE", EKind::SetUp, nullptr},
    {0x0142, "DIBCREATEPATTERNBRUSH", EKind::SetUp, nullptr},
    {0x0149, "SETLAYOUT", EKind::SetUp, nullptr},
    {0x01F0, "DELETEOBJECT", EKind::SetUp, nullptr},
    {0x01F9, "CREATEPATTERNBRUSH", EKind::SetUp, nullptr},
    {0x0201, "SETBKCOLOR", EKind::SetUp, nullptr},
    {0x0209, "SETTEXTCOLOR", EKind::SetUp, nullptr},
    {0x020A, "SETTEXTJUSTIFICATION", EKind::SetUp, nullptr},
    {0x020B, "SETWINDOWORG", EKind::SetUp, nullptr},
    {kSetWindowExt, "SETWINDOWEXT", EKind::SetUp, nullptr},
    {0x020D, "SETVIEWPORTORG", EKind::SetUp, nullptr},
    {0x020E, "SETVIEWPORTEXT", EKind::SetUp, nullptr},
    {0x020F, "OFFSETWINDOWORG", EKind::SetUp, nullptr},
    {0x0211, "OFFSETVIEWPORTORG", EKind::SetUp, nullptr},
    {0x0214, "MOVETO", EKind::SetUp, nullptr},
    {0x0220, "OFFSETCLIPRGN", EKind::SetUp, nullptr},
    {0x0231, "SETMAPPERFLAGS", EKind::SetUp, nullptr},
    {0x0234, "SELECTPALETTE", EKind::SetUp, nullptr},
    {0x02FA, "CREATEPENINDIRECT", EKind::SetUp, nullptr},
    {0x02FB, "CREATEFONTINDIRECT", EKind::SetUp, nullptr},
    {0x02FC, "CREATEBRUSHINDIRECT", EKind::SetUp, nullptr},
    {0x0410, "SCALEWINDOWEXT", EKind::SetUp, nullptr},
    {0x0412, "SCALEVIEWPORTEXT", EKind::SetUp, nullptr},
    {0x0415, "EXCLUDECLIPRECT", EKind::SetUp, nullptr},
    {0x0416, "INTERSECTCLIPRECT", EKind::SetUp, nullptr},
    {0x0436, "ANIMATEPALETTE", EKind::SetUp, nullptr},
    {0x0626, "ESCAPE", EKind::SetUp, nullptr},
    {0x06FF, "CREATEREGION", EKind::SetUp, nullptr},
    {0x0213, "LINETO", EKind::Draws, "line"},
    {0x0325, "POLYLINE", EKind::Draws, "polyline"},
    {0x0324, "POLYGON", EKind::Draws, "polygon"},
    {0x0538, "POLYPOLYGON", EKind::Draws, "polypolygon"},
    {0x041B, "RECTANGLE", EKind::Draws, "rectangle"},
    {0x061C, "ROUNDRECT", EKind::Draws, "rounded rectangle"},
    {0x0418, "ELLIPSE", EKind::Draws, "ellipse"},
    {0x0817, "ARC", EKind::Draws, "arc"},
    {0x081A, "PIE", EKind::Draws, "pie"},
    {0x0830, "CHORD", EKind::Draws, "chord"},
    {0x041F, "SETPIXEL", EKind::Draws, "pixel"},
    {0x0521, "TEXTOUT", EKind::Draws, "text string"},
    {0x0A32, "EXTTEXTOUT", EKind::Draws, "text string"},
    {0x061D, "PATBLT", EKind::Draws, "pattern fill"},
    {0x0419, "FLOODFILL", EKind::Draws, "flood fill"},
    {0x0548, "EXTFLOODFILL", EKind::Draws, "flood fill"},
    {0x0228, "FILLREGION", EKind::Draws, "region fill"},
    {0x0429, "FRAMEREGION", EKind::Draws, "region frame"},
    {0x012A, "INVERTREGION", EKind::Draws, "region inversion"},
    {0x012B, "PAINTREGION", EKind::Draws, "region fill"},
    {0x0922, "BITBLT", EKind::Draws, "device bitmap"},
    {0x0B23, "STRETCHBLT", EKind::Draws, "device bitmap"},
    {0x0D33, "SETDIBTODEV", EKind::Draws, "bitmap"},
    {kStretchDib, "STRETCHDIB", EKind::Bitmap, "bitmap"},
    {kDibStretchBlt, "DIBSTRETCHBLT", EKind::Bitmap, "bitmap"},
    {kDibBitBlt, "DIBBITBLT", EKind::Bitmap, "bitmap"},
};

const CRecordKind* FindKind(std::uint16_t nFunction) {
    for (const CRecordKind& kind : kKinds) {
        if (kind.nFunction == nFunction) return &kind;
    }
    return nullptr;
}

std::string Hex(std::uint32_t nValue, int nDigits) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%0*X", nDigits, nValue);
    return text;
}

std::string RecordName(std::uint16_t nFunction) {
    const CRecordKind* pKind = FindKind(nFunction);
    return pKind != nullptr ? pKind->pszName : "record " + Hex(nFunction, 4);
}

bool Refuse(std::string* pstrReason, std::string strReason) {
    SetReason(pstrReason, std::move(strReason));
    return false;
}

std::int32_t Signed16(const std::uint8_t* p) { return static_cast<std::int16_t>(ReadLe16(p)); }

// The parameters of a bitmap record that carries a bitmap, as offsets into
// the record (after its 6-byte header).
struct CBitmapParameters {
    std::size_t nRop;
    std::size_t nSrcHeight;  // 0: the record has no source size of its own
    std::size_t nSrcWidth;
    std::size_t nYSrc;
    std::size_t nXSrc;
    std::size_t nDestHeight;
    std::size_t nDestWidth;
    std::size_t nDib;
};

CBitmapParameters ParametersOf(std::uint16_t nFunction) {
    switch (nFunction) {
        case kStretchDib:  // rop, colour usage, source and destination rectangles
            return {6, 12, 14, 16, 18, 20, 22, 28};
        case kDibStretchBlt:
            return {6, 10, 12, 14, 16, 18, 20, 26};
        default:  // DIBBITBLT: one size for source and destination
            return {6, 14, 16, 10, 12, 14, 16, 22};
    }
}

// Checks the one bitmap record and fills in its bitmap.
bool CheckBitmapRecord(std::span<const std::uint8_t> record, std::size_t nRecordOffset,
                       std::uint16_t nFunction, CMetafileBitmap& result, std::string* pstrReason) {
    const CBitmapParameters at = ParametersOf(nFunction);
    const std::string strName = RecordName(nFunction);
    if (record.size() < at.nDib + kInfoHeaderSize) {
        return Refuse(pstrReason, "the metafile's " + strName + " record is cut short");
    }
    const std::uint8_t* p = record.data();
    const std::uint32_t nRop = ReadLe32(p + at.nRop);
    if (((nRop >> 16) & 0xFF) != kSourceCopy) {
        return Refuse(pstrReason, "the metafile's " + strName +
                                      " record uses the raster operation " + Hex(nRop, 8) +
                                      ", not a plain copy");
    }
    const std::uint8_t* pDib = p + at.nDib;
    const std::size_t nDibSize = record.size() - at.nDib;
    CDibLayout layout;
    std::string strDib;
    if (!ReadDibLayout(pDib, nDibSize, layout, &strDib)) {
        return Refuse(pstrReason, "the metafile's bitmap cannot be published: " + strDib);
    }
    if (layout.bRle && ReadLe32(pDib + dib::kSizeImage) > nDibSize - layout.nRowsOffset) {
        return Refuse(pstrReason, "the metafile's run-length bitmap is cut short");
    }
    if (nFunction == kStretchDib && !layout.bTrueColour && ReadLe16(p + 10) != kDibRgbColours) {
        return Refuse(pstrReason,
                      "the metafile's bitmap gives its colours as indices into a palette");
    }
    const std::int32_t nXSrc = Signed16(p + at.nXSrc);
    const std::int32_t nYSrc = Signed16(p + at.nYSrc);
    const std::int32_t nSrcWidth = Signed16(p + at.nSrcWidth);
    const std::int32_t nSrcHeight = Signed16(p + at.nSrcHeight);
    if (nXSrc != 0 || nYSrc != 0 || nSrcWidth != layout.nWidth || nSrcHeight != layout.nHeight) {
        return Refuse(pstrReason, "the metafile shows only a part (" + std::to_string(nSrcWidth) +
                                      " x " + std::to_string(nSrcHeight) + " at " +
                                      std::to_string(nXSrc) + "," + std::to_string(nYSrc) +
                                      ") of its " + std::to_string(layout.nWidth) + " x " +
                                      std::to_string(layout.nHeight) + " bitmap");
    }
    result.nFunction = nFunction;
    result.nDibOffset = nRecordOffset + at.nDib;
    result.nDibSize = nDibSize;
    result.nBitmapWidth = layout.nWidth;
    result.nBitmapHeight = layout.nHeight;
    if (result.nExtentX == 0 && result.nExtentY == 0) {
        result.nExtentX = static_cast<std::uint32_t>(std::abs(Signed16(p + at.nDestWidth)));
        result.nExtentY = static_cast<std::uint32_t>(std::abs(Signed16(p + at.nDestHeight)));
    }
    return true;
}

}  // namespace

std::string DescribeMetafileRecords(const CMetafileBitmap& metafile) {
    std::string strText;
    for (const auto& [nFunction, nCount] : metafile.records) {
        if (!strText.empty()) strText += ", ";
        strText += std::to_string(nCount) + " " + RecordName(nFunction);
    }
    return strText.empty() ? "none" : strText;
}

bool bReadMetafile(std::span<const std::uint8_t> metafile, CMetafileBitmap& result,
                   std::string* pstrReason) {
    result = {};
    if (metafile.size() < kHeaderSize) return Refuse(pstrReason, "the metafile is cut short");
    const std::uint16_t nType = ReadLe16(metafile.data());
    const std::uint16_t nHeaderWords = ReadLe16(metafile.data() + 2);
    if ((nType != 1 && nType != 2) || nHeaderWords != kHeaderSize / 2) {
        return Refuse(pstrReason, "the picture is not a Windows metafile");
    }

    // The records, each inside the bytes; the first bitmap record and the
    // window extent in force when it comes are kept, and what the records
    // draw is counted by kind, in the order it is first drawn.
    std::vector<std::pair<std::string, std::uint32_t>> draws;
    std::size_t nPos = kHeaderSize;
    std::size_t nBitmapRecord = 0;
    std::size_t nBitmapSize = 0;
    std::uint32_t nBitmaps = 0;
    for (std::uint32_t nRecord = 1;; ++nRecord) {
        if (metafile.size() - nPos < kRecordHeaderSize) {
            return Refuse(pstrReason, "the metafile has no end record");
        }
        const std::uint64_t nSize = std::uint64_t{ReadLe32(metafile.data() + nPos)} * 2;
        const std::uint16_t nFunction = ReadLe16(metafile.data() + nPos + 4);
        if (nSize < kRecordHeaderSize || nSize > metafile.size() - nPos) {
            return Refuse(pstrReason, "the metafile's record " + std::to_string(nRecord) + " (" +
                                          RecordName(nFunction) + ") claims " +
                                          std::to_string(nSize / 2) +
                                          " words, which do not lie inside the metafile");
        }
        const std::span<const std::uint8_t> record =
            metafile.subspan(nPos, static_cast<std::size_t>(nSize));
        if (nFunction == kEndOfFile) break;
        auto itCount = std::find_if(result.records.begin(), result.records.end(),
                                    [&](const auto& entry) { return entry.first == nFunction; });
        if (itCount == result.records.end()) {
            result.records.emplace_back(nFunction, 1);
        } else {
            ++itCount->second;
        }

        const CRecordKind* pKind = FindKind(nFunction);
        std::string strWhat;
        if (pKind == nullptr) {
            strWhat = "record of unknown kind " + Hex(nFunction, 4);
        } else if (pKind->kind == EKind::Bitmap) {
            // A blit whose record has no room for a bitmap fills with a
            // pattern.
            const bool bHasBitmap = nSize / 2 > (nFunction >> 8) + 3u;
            strWhat = bHasBitmap ? "bitmap" : "pattern fill";
            if (bHasBitmap && ++nBitmaps == 1) {
                nBitmapRecord = nPos;
                nBitmapSize = record.size();
            }
        } else if (pKind->kind == EKind::Draws) {
            strWhat = pKind->pszDraws;
        }
        if (!strWhat.empty()) {
            auto it = std::find_if(draws.begin(), draws.end(),
                                   [&](const auto& entry) { return entry.first == strWhat; });
            if (it == draws.end()) {
                draws.emplace_back(strWhat, 1);
            } else {
                ++it->second;
            }
        }
        if (nFunction == kSetWindowExt && nBitmaps == 0 && record.size() >= 10) {
            result.nExtentY = static_cast<std::uint32_t>(std::abs(Signed16(record.data() + 6)));
            result.nExtentX = static_cast<std::uint32_t>(std::abs(Signed16(record.data() + 8)));
        }
        nPos += record.size();
    }

    const bool bOnlyOneBitmap = nBitmaps == 1 && draws.size() == 1 && draws[0].second == 1;
    if (!bOnlyOneBitmap) {
        if (draws.empty()) return Refuse(pstrReason, "metafile draws nothing");
        std::string strDraws;
        for (std::size_t n = 0; n < draws.size(); ++n) {
            if (n > 0) strDraws += n + 1 == draws.size() ? " and " : ", ";
            const auto& [strWhat, nCount] = draws[n];
            strDraws += std::to_string(nCount) + " " + strWhat;
            if (nCount != 1) {
                // "record of unknown kind" becomes "records of unknown kind".
                const std::size_t nSpace = strWhat.find(" of ");
                strDraws.insert(nSpace == std::string::npos
                                    ? strDraws.size()
                                    : strDraws.size() - strWhat.size() + nSpace,
                                "s");
            }
        }
        return Refuse(pstrReason, "metafile draws " + strDraws);
    }
    const std::uint16_t nFunction = ReadLe16(metafile.data() + nBitmapRecord + 4);
    return CheckBitmapRecord(metafile.subspan(nBitmapRecord, nBitmapSize), nBitmapRecord, nFunction,
                             result, pstrReason);
}

}  // namespace vd
