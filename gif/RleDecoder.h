// Decodes the run-length encodings of bitmap pixel rows (RLE8 for 8 bits per
// pixel, RLE4 for 4 bits) into plain rows, bottom row first, each padded to a
// multiple of 4 bytes.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vd {

// Decodes nEncoded bytes of run-length data at pEncoded into the plain rows
// at pRows (nRows rows of nStride bytes each, zero-filled by the caller) of a
// picture nWidth pixels wide at nDepth bits (8 or 4). Pixels the data does
// not set (skipped by a delta, left after an early end of line or of data)
// keep index 0; runs past the end of a row are cut at the row's end, rows
// past the last are ignored, and no byte outside either buffer is touched.
// Decoding stops at the end-of-bitmap mark or at the end of the data.
void DecodeRle(int nDepth, const std::uint8_t* pEncoded, std::size_t nEncoded, std::uint8_t* pRows,
               std::uint32_t nWidth, std::uint32_t nRows, std::size_t nStride);

}  // namespace vd
