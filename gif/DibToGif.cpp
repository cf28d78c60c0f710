#include "gif/DibToGif.h"

#include <cstdint>
#include <memory>
#include <new>
#include <optional>
#include <string>

#include "common/Exceptions.h"
#include "common/Strings.h"
#include "gif/BufferedWriter.h"
#include "gif/GifEncoder.h"
#include "gif/PackedDib.h"
#include "gif/RleDecoder.h"

namespace vd {

namespace {

// The largest picture a GIF can describe in either direction.
constexpr std::uint64_t kMaxGifSide = 65535;
// Run-length data can describe a large picture in few bytes; its plain rows
// are not made larger than this.
constexpr std::uint64_t kMaxDecodedRleBytes = 256u * 1024u * 1024u;

void PutLe16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

int Refuse(std::string* pstrReason, std::string strReason) {
    SetReason(pstrReason, std::move(strReason));
    return 0;
}

}  // namespace

int ConvertDibToGif(CMemoryBlock& hDib, CFile& file) {
    return ConvertDibToGif(hDib, file, nullptr);
}

int ConvertDibToGif(CMemoryBlock& hDib, CFile& file, std::string* pstrReason) {
    if (!hDib) return Refuse(pstrReason, "no bitmap was given");
    CMemoryLock lock(hDib);
    const std::uint8_t* const pDib = lock.Data();
    if (pDib == nullptr) return Refuse(pstrReason, "the bitmap cannot be locked");
    const std::size_t nSize = lock.Size();

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
    std::uint8_t byScreenFields;
    switch (nDepth) {
        case 1:
            byScreenFields = 0x80;
            break;
        case 4:
            byScreenFields = 0xB3;
            break;
        case 8:
            byScreenFields = 0xF7;
            break;
        default:
            return Refuse(pstrReason, "the bitmap has " + std::to_string(nDepth) +
                                          " bits per pixel; only 1, 4 and 8 are supported");
    }

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

    // Colour table and rows, all sizes in 64 bits before any check.
    const std::uint32_t nClrUsed = ReadLe32(pDib + dib::kClrUsed);
    const std::uint64_t nColours = nClrUsed != 0 ? nClrUsed : (std::uint64_t{1} << nDepth);
    const std::uint64_t nRowsOffset = kInfoHeaderSize + 4 * nColours;
    if (nRowsOffset > nSize) {
        return Refuse(pstrReason, "the bitmap's colour table of " + std::to_string(nColours) +
                                      " entries does not lie inside the bitmap");
    }
    const std::uint64_t nStride = (static_cast<std::uint64_t>(nWidth) * nDepth + 31) / 32 * 4;
    const std::uint64_t nImageSize = nStride * nRows;  // below 2^32 for 65535 x 65535
    const std::uint8_t* pRows = pDib + nRowsOffset;
    CMemoryBlock decoded;
    std::optional<CMemoryLock> decodedLock;
    if (bRle) {
        if (nImageSize > kMaxDecodedRleBytes) {
            return Refuse(pstrReason, "the run-length bitmap is too large to decode");
        }
        decoded = CMemoryBlock::Allocate(static_cast<std::size_t>(nImageSize));
        if (!decoded) throw CMemoryException();
        decodedLock.emplace(decoded);
        DecodeRle(nDepth, pRows, static_cast<std::size_t>(nSize - nRowsOffset), decodedLock->Data(),
                  static_cast<std::uint32_t>(nWidth), static_cast<std::uint32_t>(nRows),
                  static_cast<std::size_t>(nStride));
        pRows = decodedLock->Data();
    } else {
        if (nImageSize > nSize - nRowsOffset) {
            return Refuse(pstrReason, "the bitmap's pixel rows do not lie inside the bitmap");
        }
        // The one lasting change to the DIB: its image size as computed.
        WriteLe32(lock.Data() + dib::kSizeImage, static_cast<std::uint32_t>(nImageSize));
    }

    const auto nGifWidth = static_cast<std::uint16_t>(nWidth);
    const auto nGifHeight = static_cast<std::uint16_t>(nRows);

    std::uint8_t screen[7] = {0, 0, 0, 0, byScreenFields, 0, 0};
    PutLe16(screen, nGifWidth);
    PutLe16(screen + 2, nGifHeight);

    std::uint8_t colours[3 * 256] = {};
    const std::uint64_t nTableEntries = std::uint64_t{1} << nDepth;
    for (std::uint64_t i = 0; i < nColours && i < nTableEntries; ++i) {
        const std::uint8_t* pQuad = pDib + kInfoHeaderSize + 4 * i;
        colours[3 * i] = pQuad[2];      // red
        colours[3 * i + 1] = pQuad[1];  // green
        colours[3 * i + 2] = pQuad[0];  // blue
    }

    std::uint8_t descriptor[10] = {0x2C, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    PutLe16(descriptor + 5, nGifWidth);
    PutLe16(descriptor + 7, nGifHeight);
    static constexpr std::uint8_t kClosing[2] = {0x00, 0x3B};

    std::unique_ptr<CGifEncoder> pEncoder(new (std::nothrow) CGifEncoder);
    if (!pEncoder) throw CMemoryException();
    CBufferedWriter out(file);
    out.Write("GIF87a", 6);
    out.Write(screen, sizeof screen);
    out.Write(colours, 3 * static_cast<std::size_t>(nTableEntries));
    out.Write(descriptor, sizeof descriptor);
    pEncoder->Compress(out, nDepth, pRows, nGifWidth, nGifHeight,
                       static_cast<std::uint32_t>(nImageSize), bTopDown);
    out.Write(kClosing, sizeof kClosing);
    out.Flush();
    return 1;
}

}  // namespace vd
