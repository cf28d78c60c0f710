// Builds SHG files in tests: one bitmap picture with its colour table, pixel
// rows in any packing and hotspots with their macro data and strings.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vd::test {

struct CShgHotspotDescription {
    std::uint8_t nTypeByte = 0xE3;  // 0xE2/0xE6 pop-up, 0xE3/0xE7/0xEB/0xEF jump, 0xC8/0xCC macro
    std::uint16_t nLeft = 0;
    std::uint16_t nTop = 0;
    std::uint16_t nWidth = 0;
    std::uint16_t nHeight = 0;
    std::string strName;
    std::string strTarget;
};

// The header layouts a help tool writes.
enum class EShgLayout {
    Shortest,   // every compressed field in its shortest form
    Long38,     // 2-byte dwords, 1-byte words, 4-byte data size: the 38-byte header
    Short36,    // as Long38 with a 2-byte data size: the 36-byte header
    LongForms,  // every compressed dword in its 4-byte form
};

struct CShgDescription {
    std::uint16_t nMagic = 0x706C;  // or 0x506C
    std::uint8_t nType = 6;         // 8: a metafile, whose bytes are in pixels
    std::uint8_t nPacking = 0;      // 0 stored, 1 run-length, 2 LZ77, 3 LZ77 then run-length
    EShgLayout layout = EShgLayout::Shortest;
    std::uint32_t nXResolution = 96;
    std::uint32_t nYResolution = 96;
    std::uint16_t nPlanes = 1;
    std::uint16_t nBitCount = 8;
    std::uint32_t nWidth = 0;
    std::uint32_t nHeight = 0;
    std::uint32_t nColoursUsed = 0;  // 0: 2^nBitCount
    // Colour table entries (blue, green, red, reserved), and the DIB pixel
    // rows (bottom row first, padded to 4 bytes) before packing.
    std::vector<std::uint8_t> colourTable;
    std::vector<std::uint8_t> pixels;
    std::vector<CShgHotspotDescription> hotspots;
    std::vector<std::uint8_t> macroData;
    // Writes the hotspot section (header, records, macro data, strings) even
    // without hotspots; its size field is then non-zero.
    bool bHotspotSection = false;
    // Extra pictures' offsets in the offset table (none by default).
    std::uint16_t nExtraPictures = 0;
    // A metafile's mapping mode; its size is nWidth x nHeight (16 bits each).
    std::uint16_t nMappingMode = 8;
};

// A metafile: the 18-byte header, the records and the end record.
std::vector<std::uint8_t> BuildMetafile(const std::vector<std::vector<std::uint8_t>>& records);
// One record: its size in words, function and 16-bit parameters.
std::vector<std::uint8_t> MetafileRecord(std::uint16_t nFunction,
                                         const std::vector<std::uint16_t>& parameters,
                                         std::span<const std::uint8_t> tail = {});
// A bitmap record (0x0F43 STRETCHDIB, 0x0B41 DIBSTRETCHBLT or 0x0940
// DIBBITBLT) that copies all of the packed DIB dib, nWidth x nHeight pixels,
// to a destination of nDestWidth x nDestHeight units.
std::vector<std::uint8_t> BitmapRecord(std::uint16_t nFunction, std::span<const std::uint8_t> dib,
                                       std::uint16_t nWidth, std::uint16_t nHeight,
                                       std::uint16_t nDestWidth, std::uint16_t nDestHeight,
                                       std::uint32_t nRop = 0x00CC0020);

// The whole file.
std::vector<std::uint8_t> BuildShg(const CShgDescription& desc);

// Packers: run-length (packing 1) and LZ77 (packing 2).
std::vector<std::uint8_t> PackRunLength(std::span<const std::uint8_t> data);
std::vector<std::uint8_t> PackLz77(std::span<const std::uint8_t> data);

// Bytes of one padded pixel row.
std::size_t RowBytes(std::uint32_t nWidth, std::uint16_t nBitCount);

}  // namespace vd::test
