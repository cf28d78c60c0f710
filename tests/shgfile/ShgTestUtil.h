// Helpers of the SHG reader tests: reading SHG bytes through a file and
// looking into the packed DIB that comes back.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "common/MemoryBlock.h"
#include "hypergraphics/AreaList.h"
#include "hypergraphics/ShgReader.h"

namespace vd::test {

// The parts of a packed DIB (or of a BMP file after its 14-byte header).
struct CDibView {
    std::int32_t nWidth = 0;
    std::int32_t nHeight = 0;
    std::uint16_t nBitCount = 0;
    std::uint32_t nCompression = 0;
    std::uint32_t nSizeImage = 0;
    std::uint32_t nClrUsed = 0;
    std::int32_t nXPelsPerMeter = 0;
    std::int32_t nYPelsPerMeter = 0;
    std::vector<std::uint8_t> colourTable;        // 4 bytes an entry
    std::vector<std::vector<std::uint8_t>> rows;  // bottom row first, padded
};

// Parses a packed DIB with a 40-byte header; the pixel rows start at
// nPixelOffset when it is given, else right after the colour table. Fails
// the current test (and answers false) when the bytes do not hold them.
bool ParseDib(const std::vector<std::uint8_t>& bytes, CDibView& view, std::size_t nPixelOffset = 0);
// The bytes of a block.
std::vector<std::uint8_t> BlockBytes(CMemoryBlock& block);

// Writes bytes to a file in a temporary folder and reads it with
// ReadSHGFile.
class CShgReadResult {
  public:
    CShgReadResult() : m_owner(m_list) {}
    CAreaList m_list;
    CMemoryBlock m_block;
    std::string m_strReason;
    CShgPictureHeader m_header;

  private:
    CAreaListOwner m_owner;
};

void ReadShgBytes(const std::vector<std::uint8_t>& bytes, CShgReadResult& result);

// The picture read from an SHG file, written as a GIF by the library and
// decoded by giflib: its pixels' colours (red, green, blue), top row first.
std::vector<std::array<std::uint8_t, 3>> PublishedColours(CMemoryBlock& picture);

}  // namespace vd::test
