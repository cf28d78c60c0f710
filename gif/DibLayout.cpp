#include "gif/DibLayout.h"

#include <cstdio>

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
        case 24:
        case 32:
            break;
        default:
            return Refuse(pstrReason, "the bitmap has " + std::to_string(nDepth) +
                                          " bits per pixel; only 1, 4, 8, 24 and 32 are supported");
    }
    layout.nDepth = nDepth;
    layout.bTrueColour = nDepth > 8;

    const std::uint32_t nCompression = ReadLe32(pDib + dib::kCompression);
    const bool bRle = nCompression == kCompressionRle8 || nCompression == kCompressionRle4;
    const bool bBitFields = nCompression == kCompressionBitFields && layout.bTrueColour;
    if (nCompression != kCompressionNone && !bRle && !bBitFields) {
        return Refuse(pstrReason, "the bitmap's compression " + std::to_string(nCompression) +
                                      " is not supported");
    }
    if ((nCompression == kCompressionRle8 && nDepth != 8) ||
        (nCompression == kCompressionRle4 && nDepth != 4)) {
        return Refuse(pstrReason, "the bitmap's run-length encoding does not match its " +
                                      std::to_string(nDepth) + " bits per pixel");
    }
    layout.bRle = bRle;
    // Bit fields: only the masks that place red, green and blue in the bytes
    // where an uncompressed bitmap has them.
    const std::uint64_t nMasksSize = bBitFields ? kBitFieldMasksSize : 0;
    if (bBitFields) {
        if (nSize < kInfoHeaderSize + kBitFieldMasksSize) {
            return Refuse(pstrReason, "the bitmap's bit field masks are cut short");
        }
        const std::uint32_t nRed = ReadLe32(pDib + kInfoHeaderSize);
        const std::uint32_t nGreen = ReadLe32(pDib + kInfoHeaderSize + 4);
        const std::uint32_t nBlue = ReadLe32(pDib + kInfoHeaderSize + 8);
        if (nRed != 0xFF0000u || nGreen != 0xFF00u || nBlue != 0xFFu) {
            char text[96];
            std::snprintf(text, sizeof text,
                          "the bitmap's bit fields (red 0x%X, green 0x%X, blue 0x%X)", nRed, nGreen,
                          nBlue);
            return Refuse(pstrReason, std::string(text) +
                                          " are not supported; only 0xFF0000, 0xFF00 and 0xFF are");
        }
    }

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
    // A true-colour bitmap's colour table (biClrUsed entries, usually none)
    // is only passed over.
    layout.nColours = nClrUsed != 0 || layout.bTrueColour ? nClrUsed : (std::uint64_t{1} << nDepth);
    layout.nRowsOffset = kInfoHeaderSize + nMasksSize + 4 * layout.nColours;
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
