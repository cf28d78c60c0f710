#include "gif/DibToGif.h"

#include <cstdint>
#include <memory>
#include <new>
#include <optional>
#include <string>

#include "common/Exceptions.h"
#include "common/Strings.h"
#include "gif/BufferedWriter.h"
#include "gif/DibLayout.h"
#include "gif/GifEncoder.h"
#include "gif/PackedDib.h"
#include "gif/RleDecoder.h"
#include "gif/TrueColourGif.h"

namespace vd {

namespace {

// Run-length data can describe a large picture in few bytes; its plain rows
// are not made larger than this.
constexpr std::uint64_t kMaxDecodedRleBytes = 256u * 1024u * 1024u;

void PutLe16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

}  // namespace

int ConvertDibToGif(CMemoryBlock& hDib, CFile& file) {
    return ConvertDibToGif(hDib, file, nullptr);
}

int ConvertDibToGif(CMemoryBlock& hDib, CFile& file, std::string* pstrReason) {
    if (!hDib) {
        SetReason(pstrReason, "no bitmap was given");
        return 0;
    }
    CMemoryLock lock(hDib);
    const std::uint8_t* const pDib = lock.Data();
    if (pDib == nullptr) {
        SetReason(pstrReason, "the bitmap cannot be locked");
        return 0;
    }
    const std::size_t nSize = lock.Size();
    CDibLayout layout;
    if (!ReadDibLayout(pDib, nSize, layout, pstrReason)) return 0;

    CMemoryBlock decoded;
    std::optional<CMemoryLock> decodedLock;
    CMemoryRows rows(pDib + layout.nRowsOffset, static_cast<std::uint32_t>(layout.nStride));
    if (layout.bTrueColour) return WriteTrueColourGif(file, layout, rows, pstrReason);
    if (layout.bRle) {
        if (layout.nImageSize > kMaxDecodedRleBytes) {
            SetReason(pstrReason, "the run-length bitmap is too large to decode");
            return 0;
        }
        decoded = CMemoryBlock::Allocate(static_cast<std::size_t>(layout.nImageSize));
        if (!decoded) throw CMemoryException();
        decodedLock.emplace(decoded);
        DecodeRle(layout.nDepth, pDib + layout.nRowsOffset,
                  static_cast<std::size_t>(nSize - layout.nRowsOffset), decodedLock->Data(),
                  layout.nWidth, layout.nHeight, static_cast<std::size_t>(layout.nStride));
        rows = CMemoryRows(decodedLock->Data(), static_cast<std::uint32_t>(layout.nStride));
    } else {
        // The one lasting change to the DIB: its image size as computed.
        WriteLe32(lock.Data() + dib::kSizeImage, static_cast<std::uint32_t>(layout.nImageSize));
    }
    WriteGif(file, layout, pDib + kInfoHeaderSize, rows);
    return 1;
}

void WriteGif(CFile& file, const CDibLayout& layout, const std::uint8_t* pColourTable,
              CRowSource& rows) {
    std::uint8_t screen[7] = {0, 0, 0, 0, layout.byScreenFields, 0, 0};
    PutLe16(screen, layout.nWidth);
    PutLe16(screen + 2, layout.nHeight);

    std::uint8_t colours[3 * 256] = {};
    const std::uint64_t nTableEntries = std::uint64_t{1} << layout.nDepth;
    for (std::uint64_t i = 0; i < layout.nColours && i < nTableEntries; ++i) {
        const std::uint8_t* pQuad = pColourTable + 4 * i;
        colours[3 * i] = pQuad[2];      // red
        colours[3 * i + 1] = pQuad[1];  // green
        colours[3 * i + 2] = pQuad[0];  // blue
    }

    std::uint8_t descriptor[10] = {0x2C, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    PutLe16(descriptor + 5, layout.nWidth);
    PutLe16(descriptor + 7, layout.nHeight);
    static constexpr std::uint8_t kClosing[2] = {0x00, 0x3B};

    std::unique_ptr<CGifEncoder> pEncoder(new (std::nothrow) CGifEncoder);
    if (!pEncoder) throw CMemoryException();
    CBufferedWriter out(file);
    out.Write("GIF87a", 6);
    out.Write(screen, sizeof screen);
    out.Write(colours, 3 * static_cast<std::size_t>(nTableEntries));
    out.Write(descriptor, sizeof descriptor);
    pEncoder->Compress(out, layout.nDepth, rows, layout.nWidth,
                       static_cast<std::uint32_t>(layout.nImageSize), layout.bTopDown);
    out.Write(kClosing, sizeof kClosing);
    out.Flush();
}

}  // namespace vd
