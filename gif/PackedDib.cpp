#include "gif/PackedDib.h"

#include <cstdint>
#include <limits>

namespace vd {

CMemoryBlock LoadPackedDib(CFile& file) {
    const std::uint64_t nLength = file.GetLength();

    std::uint8_t fileHeader[kFileHeaderSize];
    if (file.Read(fileHeader, sizeof fileHeader) < sizeof fileHeader) return {};
    if (ReadLe16(fileHeader) != 0x4D42) return {};  // "BM"

    // The length was asked before the header was read, so a file that shrank
    // in between cannot make the body size wrap around.
    if (nLength < kFileHeaderSize) return {};
    if (nLength > std::numeric_limits<std::size_t>::max()) return {};
    const auto nBlockSize = static_cast<std::size_t>(nLength);
    const std::size_t nBody = nBlockSize - kFileHeaderSize;

    CMemoryBlock block = CMemoryBlock::Allocate(nBlockSize);
    if (!block) return {};
    bool bComplete;
    {
        // A read error raises; the handle frees the block on the way out.
        CMemoryLock lock(block);
        bComplete = file.Read(lock.Data(), nBody) == nBody;
    }
    if (!bComplete) return {};
    return block;
}

static bool IsInfoHeader(const std::uint8_t* pDib, std::size_t nSize) {
    return nSize >= 4 && ReadLe32(pDib + dib::kSize) == kInfoHeaderSize;
}

// True when the header that the header-size field selects lies in the block.
static bool HeaderFits(const std::uint8_t* pDib, std::size_t nSize) {
    if (pDib == nullptr || nSize < 4) return false;
    return nSize >= (IsInfoHeader(pDib, nSize) ? kInfoHeaderSize : kCoreHeaderSize);
}

std::int32_t GetBitmapWidth(const std::uint8_t* pDib, std::size_t nSize) {
    if (!HeaderFits(pDib, nSize)) return 0;
    if (IsInfoHeader(pDib, nSize)) return static_cast<std::int32_t>(ReadLe32(pDib + dib::kWidth));
    return ReadLe16(pDib + dib::kCoreWidth);
}

std::int32_t GetBitmapHeight(const std::uint8_t* pDib, std::size_t nSize) {
    if (!HeaderFits(pDib, nSize)) return 0;
    if (IsInfoHeader(pDib, nSize)) return static_cast<std::int32_t>(ReadLe32(pDib + dib::kHeight));
    return ReadLe16(pDib + dib::kCoreHeight);
}

std::uint32_t GetColourCount(const std::uint8_t* pDib, std::size_t nSize) {
    if (!HeaderFits(pDib, nSize)) return 0;
    std::uint16_t nBitCount;
    if (IsInfoHeader(pDib, nSize)) {
        const std::uint32_t nClrUsed = ReadLe32(pDib + dib::kClrUsed);
        if (nClrUsed != 0) return nClrUsed;
        nBitCount = ReadLe16(pDib + dib::kBitCount);
    } else {
        nBitCount = ReadLe16(pDib + dib::kCoreBitCount);
    }
    switch (nBitCount) {
        case 1:
            return 2;
        case 4:
            return 16;
        case 8:
            return 256;
        default:
            return 0;
    }
}

std::uint64_t GetColourTableSize(const std::uint8_t* pDib, std::size_t nSize) {
    const std::uint64_t nEntrySize = IsInfoHeader(pDib, nSize) ? 4 : 3;
    return GetColourCount(pDib, nSize) * nEntrySize;
}

}  // namespace vd
