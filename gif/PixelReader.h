// Hands out the pixel indices of indexed-colour bitmap rows (1, 4 or 8 bits
// per pixel, each row padded to a multiple of 4 bytes) in GIF order: top row
// first, each row from left to right. Padding bytes and the unused low-order
// bits of a row's last byte never yield a pixel, and no byte outside the
// image size given is ever read.
//
// Each row in turn becomes a span of one-byte indices: at 8 bits the stored
// row itself, at 1 and 4 bits the row unpacked into a row buffer (bits 7 down
// to 0 of each byte at 1 bit, high nibble then low nibble at 4 bits).
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "gif/RowSource.h"

namespace vd {

class CPixelReader {
  public:
    // Answered after the last pixel; no pixel index can take this value.
    static constexpr int kEndMarker = 9999;
    // Bytes of the row buffer: the unpacked pixels of the widest row (65535
    // pixels at 1 bit fill 8192 bytes, which unpack to 65536).
    static constexpr std::size_t kRowBufferSize = 65536;

    // Row bytes without padding, and padding after each row, for a row of
    // nWidth pixels of nDepth bits (1, 4 or 8).
    static std::uint32_t RowBytes(int nDepth, std::uint32_t nWidth);
    static std::uint32_t PadBytes(std::uint32_t nRowBytes) { return (4 - nRowBytes % 4) % 4; }

    // Sets up reading the rows that lie in the nImageSize bytes at pPixels.
    // Only whole rows are read: a part row left over at the end of the image
    // size is ignored. The rows are stored bottom row first unless bTopDown.
    // pRowBuffer (kRowBufferSize bytes) receives unpacked rows at 1 and 4
    // bits; it is not used at 8 bits and may then be null.
    void Start(int nDepth, const std::uint8_t* pPixels, std::uint16_t nWidth,
               std::uint32_t nImageSize, bool bTopDown, std::uint8_t* pRowBuffer);
    // The same for the rows of source, which must outlive the reading; the
    // image size counts the rows it holds.
    void Start(int nDepth, CRowSource& source, std::uint16_t nWidth, std::uint32_t nImageSize,
               bool bTopDown, std::uint8_t* pRowBuffer);

    // The next pixel index, or kEndMarker after the last one.
    int NextPixel() {
        if (m_pPixel == m_pRowEnd && !NextRow()) return kEndMarker;
        return *m_pPixel++;
    }

    // True when the next kRunAhead pixels of the current row, or all that
    // are left of it when fewer (at least one), have the index by.
    static constexpr std::uint32_t kRunAhead = 8;
    bool RunAhead(std::uint8_t by) const {
        const std::ptrdiff_t nLeft = m_pRowEnd - m_pPixel;
        if (nLeft >= static_cast<std::ptrdiff_t>(kRunAhead)) {
            std::uint64_t nWord;
            std::memcpy(&nWord, m_pPixel, 8);
            return nWord == 0x0101010101010101ull * by;
        }
        if (nLeft == 0) return false;
        for (std::ptrdiff_t i = 0; i < nLeft; ++i) {
            if (m_pPixel[i] != by) return false;
        }
        return true;
    }
    // Takes the pixels from the next one on that have the index by, at most
    // nMax and across row ends; answers how many.
    std::uint32_t TakeRun(std::uint8_t by, std::uint32_t nMax) {
        std::uint32_t nTaken = 0;
        for (;;) {
            const std::uint32_t n = CountRun(by, nMax - nTaken);
            Skip(n);
            nTaken += n;
            // Turning to the next row early is what NextPixel would do next.
            if (nTaken == nMax || m_pPixel != m_pRowEnd || !NextRow()) return nTaken;
        }
    }
    // How many of the pixels from the next one on, up to the end of the
    // current row and at most nMax, have the index by.
    std::uint32_t CountRun(std::uint8_t by, std::uint32_t nMax) const;
    // Passes over n pixels of the current row, as n calls of NextPixel
    // would; n is at most what CountRun answered.
    void Skip(std::uint32_t n) { m_pPixel += n; }

  private:
    // Turns to the next row; false when there is none.
    bool NextRow();

    CMemoryRows m_memoryRows;         // the rows given by address
    CRowSource* m_pSource = nullptr;  // where the rows come from
    std::uint32_t m_nStride = 0;      // bytes from one stored row to the next
    std::uint32_t m_nRowBytes = 0;    // pixel bytes of one row, without padding
    std::uint32_t m_nRows = 0;        // whole rows in the image size
    std::uint32_t m_nRowsRead = 0;    // rows handed out so far
    std::uint32_t m_nWidth = 0;
    int m_nDepth = 8;
    bool m_bTopDown = false;
    std::uint8_t* m_pRowBuffer = nullptr;
    const std::uint8_t* m_pPixel = nullptr;   // the next pixel of the current row
    const std::uint8_t* m_pRowEnd = nullptr;  // the end of the current row's pixels
};

inline std::uint32_t CPixelReader::CountRun(std::uint8_t by, std::uint32_t nMax) const {
    const auto nLeft = static_cast<std::uint32_t>(m_pRowEnd - m_pPixel);
    const std::uint32_t nLimit = nLeft < nMax ? nLeft : nMax;
    const std::uint64_t nPattern = 0x0101010101010101ull * by;
    std::uint32_t n = 0;
    if constexpr (std::endian::native == std::endian::little) {
        // Eight pixels at a time; the lowest differing byte is the first
        // pixel that ends the run.
        while (nLimit - n >= 8) {
            std::uint64_t nWord;
            std::memcpy(&nWord, m_pPixel + n, 8);
            const std::uint64_t nDiff = nWord ^ nPattern;
            if (nDiff != 0) return n + static_cast<std::uint32_t>(std::countr_zero(nDiff)) / 8;
            n += 8;
        }
    }
    while (n < nLimit && m_pPixel[n] == by) ++n;
    return n;
}

}  // namespace vd
