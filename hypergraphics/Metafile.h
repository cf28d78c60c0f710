// A Windows metafile picture, as a hypergraphic may hold one (without the
// placeable header): read to find whether it is only one bitmap, placed with
// set-up records, which can then be published as that bitmap.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace vd {

struct CMetafileBitmap {
    // Every record kind read (function number, count), in the order of first
    // appearance; the end record is not counted.
    std::vector<std::pair<std::uint16_t, std::uint32_t>> records;
    // The one bitmap record: its function, and its bitmap (a packed DIB) as
    // bytes of the metafile.
    std::uint16_t nFunction = 0;
    std::size_t nDibOffset = 0;
    std::size_t nDibSize = 0;
    std::uint32_t nBitmapWidth = 0;
    std::uint32_t nBitmapHeight = 0;
    // The window extent set before the bitmap record (or, without one, the
    // extent the bitmap is drawn at), without sign: the size of the picture
    // in the units of its hotspots.
    std::uint32_t nExtentX = 0;
    std::uint32_t nExtentY = 0;
};

// Reads the metafile's records, each checked against the bytes given.
// Answers true when it holds exactly one bitmap record (STRETCHDIB,
// DIBSTRETCHBLT or DIBBITBLT) that copies its whole bitmap (a DIB that a GIF
// can be made of) with the source-copy raster operation, no other record
// that draws, and an end record. Otherwise false, with *pstrReason when
// given; result.records then holds the records read so far.
bool bReadMetafile(std::span<const std::uint8_t> metafile, CMetafileBitmap& result,
                   std::string* pstrReason);

// The records by kind: "1 SETMAPMODE, 1 SETWINDOWEXT, 1 STRETCHDIB".
std::string DescribeMetafileRecords(const CMetafileBitmap& metafile);

}  // namespace vd
