#include "gif/DibLayout.h"

#include "common/Strings.h"
#include "gif/PackedDib.h"

namespace vd {

namespace {

// The largest picture a GIF can describe in either direction.
constexpr std::uint64_t kMaxGifSide = 65535;

bool Refuse(std::string* pstrReason, std::string strReason) {
    SetReason(pstrReason, std::move(strReason));
    return false;
}

}  // namespace

bool ReadDibLayout(const std::uint8_t* pDib, std::size_t nSize, CDibLayout& layout,
                   std::string* pstrReason) {
    // Header: only the 40-byte information header is accepted.
    if (nSize < 4) return Refuse(pstrReason, "the bitmap has no information header");
    const std::uint32_t nHeaderSize = ReadLe32(pDib + dib::kSize);
    if (nHeaderSize != kInfoHeaderSize) {
        return Refuse(pstrReason, "the bitmap's information header is " +
                                      std::to_string(nHeaderSize) +
                                      " bytes long; only 40-byte headers are supported");
    }
    if (nSize < kInfoHeaderSize) return Refuse(pstrReason, "the bitmap's header is cut short");

    const std::uint16_t nDepth = ReadLe16(pDib + dib::kBitCount);
    switch (nDepth) {
        case 1:
            layout.byScreenFields = 0x80;
            break;
        case 4:
            layout.byScreenFields = 0xB3;
            break;
        case 8:
            layout.byScreenFields = 0xF7;
            break;
        default:
            return Refuse(pstrReason, "the bitmap has " + std::to_string(nDepth) +
                                          " bits per pixel; only 1, 4 and 8 are supported");
    }
    layout.nDepth = nDepth;

    const std::uint32_t nCompression = ReadLe32(pDib + dib::kCompression);
    const bool bRle = nCompression == kCompressionRle8 || nCompression == kCompressionRle4;
    if (nCompression != kCompressionNone && !bRle) {
        return Refuse(pstrReason, "the bitmap's compression " + std::to_string(nCompression) +
                                      " is not supported");
    }
    if ((nCompression == kCompressionRle8 && nDepth != 8) ||
        (nCompression == kCompressionRle4 && nDepth != 4)) {
        return Refuse(pstrReason, "the bitmap's run-length encoding does not match its " +
                                      std::to_string(nDepth) + " bits per pixel");
    }
    layout.bRle = bRle;

    const std::int64_t nWidth = GetBitmapWidth(pDib, nSize);
    const std::int64_t nHeight = GetBitmapHeight(pDib, nSize);
    const bool bTopDown = nHeight < 0;
    const std::uint64_t nRows = static_cast<std::uint64_t>(bTopDown ? -nHeight : nHeight);
    if (nWidth < 0) return Refuse(pstrReason, "the bitmap's width is negative");
    if (static_cast<std::uint64_t>(nWidth) > kMaxGifSide || nRows > kMaxGifSide) {
        return Refuse(pstrReason, "the bitmap is " + std::to_string(nWidth) + " x " +
                                      std::to_string(nRows) +
                                      " pixels; a GIF holds at most 65535 in each direction");
    }
    if (bTopDown && bRle) {
        return Refuse(pstrReason, "a run-length bitmap cannot be stored top row first");
    }
    layout.bTopDown = bTopDown;
    layout.nWidth = static_cast<std::uint16_t>(nWidth);
    layout.nHeight = static_cast<std::uint16_t>(nRows);

    // Colour table and rows, all sizes in 64 bits before any check.
    const std::uint32_t nClrUsed = ReadLe32(pDib + dib::kClrUsed);
    layout.nColours = nClrUsed != 0 ? nClrUsed : (std::uint64_t{1} << nDepth);
    layout.nRowsOffset = kInfoHeaderSize + 4 * layout.nColours;
    if (layout.nRowsOffset > nSize) {
        return Refuse(pstrReason, "the bitmap's colour table of " +
                                      std::to_string(layout.nColours) +
                                      " entries does not lie inside the bitmap");
    }
    layout.nStride = (static_cast<std::uint64_t>(nWidth) * nDepth + 31) / 32 * 4;
    layout.nImageSize = layout.nStride * nRows;  // below 2^32 for 65535 x 65535
    if (!bRle && layout.nImageSize > nSize - layout.nRowsOffset) {
        return Refuse(pstrReason, "the bitmap's pixel rows do not lie inside the bitmap");
    }
    return true;
}

}  // namespace vd
