// The packed DIB: a bitmap in one movable memory block (40-byte information
// header, colour table, pixel rows bottom row first, each padded to 4 bytes),
// and the loader that reads a bitmap file into one.
#pragma once

#include <cstddef>
#include <cstdint>

#include "common/File.h"
#include "common/MemoryBlock.h"

namespace vd {

// Size of the bitmap information header (BITMAPINFOHEADER) and of the older
// core header (BITMAPCOREHEADER).
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kCoreHeaderSize = 12;

// Size of the bitmap file header in front of the packed DIB in a file.
constexpr std::size_t kFileHeaderSize = 14;

// Values of biCompression.
constexpr std::uint32_t kCompressionNone = 0;
constexpr std::uint32_t kCompressionRle8 = 1;
constexpr std::uint32_t kCompressionRle4 = 2;
constexpr std::uint32_t kCompressionBitFields = 3;

// The red, green and blue masks after the information header of a bitmap
// with bit fields.
constexpr std::uint32_t kBitFieldMasksSize = 12;

// Byte offsets of the information header's fields.
namespace dib {
constexpr std::size_t kSize = 0;
constexpr std::size_t kWidth = 4;
constexpr std::size_t kHeight = 8;
constexpr std::size_t kPlanes = 12;
constexpr std::size_t kBitCount = 14;
constexpr std::size_t kCompression = 16;
constexpr std::size_t kSizeImage = 20;
constexpr std::size_t kClrUsed = 32;
// Fields of the core header.
constexpr std::size_t kCoreWidth = 4;
constexpr std::size_t kCoreHeight = 6;
constexpr std::size_t kCoreBitCount = 10;
}  // namespace dib

// Little-endian numbers in a byte buffer; the caller has checked the bounds.
inline std::uint16_t ReadLe16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t ReadLe32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline void WriteLe32(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
    p[2] = static_cast<std::uint8_t>(v >> 16);
    p[3] = static_cast<std::uint8_t>(v >> 24);
}

// Reads the bitmap file (positioned at its start) into a new packed DIB;
// answers the null handle when the file is not a bitmap file. A read error
// raises CFileException.
//
// Only the 14-byte file header is checked (the magic "BM"); the rest of the
// file is taken over unchanged, and its offset field is not used: the pixel
// rows are taken to follow the colour table directly. The block is the file's
// length in size, 14 bytes more than the data it holds; the surplus is zero.
CMemoryBlock LoadPackedDib(CFile& file);

// Accessors of a locked packed DIB of nSize bytes. A header size of 40 selects
// the information header; any other value the 12-byte core header. Each
// answers 0 when the header it would read does not lie inside the nSize bytes.

// biWidth, or bcWidth widened.
std::int32_t GetBitmapWidth(const std::uint8_t* pDib, std::size_t nSize);
// biHeight (negative for rows stored top row first), or bcHeight widened.
std::int32_t GetBitmapHeight(const std::uint8_t* pDib, std::size_t nSize);
// The number of colour table entries: biClrUsed when it is not 0 (in full,
// never cut to fewer bits), otherwise by the bit count: 1 -> 2, 4 -> 16,
// 8 -> 256, any other -> 0.
std::uint32_t GetColourCount(const std::uint8_t* pDib, std::size_t nSize);
// The byte size of the colour table: the colour count times 4 (information
// header) or times 3 (core header).
std::uint64_t GetColourTableSize(const std::uint8_t* pDib, std::size_t nSize);

}  // namespace vd
