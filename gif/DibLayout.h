// What a packed DIB's information header says about the GIF made from it,
// and every check that decides whether it can be made: depth, size, colour
// table and where the pixel rows lie in the block.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vd {

struct CDibLayout {
    std::uint16_t nDepth = 0;         // 1, 4 or 8; 24 or 32 for a true-colour bitmap
    bool bTrueColour = false;         // 24 or 32 bits: no colour table of the GIF's
    std::uint8_t byScreenFields = 0;  // the logical screen's packed fields (indexed only)
    bool bRle = false;                // RLE8 or RLE4 rows
    bool bTopDown = false;            // plain rows stored top row first
    std::uint16_t nWidth = 0;         // of the GIF
    std::uint16_t nHeight = 0;        // of the GIF: the number of rows
    std::uint64_t nColours = 0;       // colour table entries (biClrUsed, or 2^depth when indexed)
    std::uint64_t nRowsOffset = 0;    // where the rows begin in the block
    std::uint64_t nStride = 0;        // bytes of one plain row with its padding
    std::uint64_t nImageSize = 0;     // bytes of the plain rows
};

// Reads the header of the packed DIB in a block of nSize bytes starting at
// pDib (of which at least the first min(nSize, 52) bytes are at hand) and
// checks that a GIF can be made of it: a 40-byte information header, 1, 4 or
// 8 bits per pixel with no compression or the run-length one of its depth
// (bottom row first), or 24 or 32 bits per pixel with no compression or bit
// fields of red 0xFF0000, green 0xFF00 and blue 0xFF (their three masks
// follow the header); width and height up to 65535, and a colour table and
// plain rows that lie inside the block. Whether a true-colour bitmap has few
// enough colours is not looked at here. Answers false, with the reason in
// *pstrReason when given, when it cannot.
bool ReadDibLayout(const std::uint8_t* pDib, std::size_t nSize, CDibLayout& layout,
                   std::string* pstrReason);

}  // namespace vd
