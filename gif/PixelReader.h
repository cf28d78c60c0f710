// Hands out the pixel indices of indexed-colour bitmap rows (1, 4 or 8 bits
// per pixel, each row padded to a multiple of 4 bytes) in GIF order: top row
// first, each row from left to right. Padding bytes and the unused low-order
// bits of a row's last byte never yield a pixel.
#pragma once

#include <cstdint>

namespace vd {

class CPixelReader {
  public:
    // Answered after the last pixel; no pixel index can take this value.
    static constexpr int kEndMarker = 9999;

    // Row bytes without padding, and padding after each row, for a row of
    // nWidth pixels of nDepth bits (1, 4 or 8).
    static std::uint32_t RowBytes(int nDepth, std::uint32_t nWidth);
    static std::uint32_t PadBytes(std::uint32_t nRowBytes) { return (4 - nRowBytes % 4) % 4; }

    // Sets up reading the rows that lie in the nImageSize bytes at pPixels.
    // Only whole rows are read: a part row left over at the end of the image
    // size is ignored, so no byte outside the nImageSize bytes is ever read.
    // The rows are stored bottom row first unless bTopDown is set.
    void Start(int nDepth, const std::uint8_t* pPixels, std::uint32_t nWidth,
               std::uint32_t nImageSize, bool bTopDown);

    // The next pixel index, or kEndMarker after the last one. Depth is the
    // nDepth given to Start.
    template <int Depth>
    int Next();
    // The same, choosing the depth at run time.
    int NextPixel();

  private:
    template <int Depth>
    void FinishByte() {
        ++m_pRead;
        ++m_nColumn;
        ++m_nConsumed;
        m_bFreshByte = true;
        m_nBitIndex = 0;
    }
    bool InLastByteOfRow() const { return m_nColumn + 1 == m_nRowEnd; }

    std::uint32_t m_nColumn = 0;            // row bytes finished so far, over all rows
    std::uint32_t m_nImageSize = 0;         // bytes of all whole rows with their padding
    const std::uint8_t* m_pRead = nullptr;  // next byte, or the byte being taken apart
    std::uint32_t m_nRowBytes = 0;          // pixel bytes of one row, without padding
    std::uint32_t m_nRowEnd = 0;          // value of m_nColumn at which the current row is finished
    std::uint32_t m_nPadBytes = 0;        // padding bytes after each row
    std::uint32_t m_nConsumed = 0;        // row and padding bytes used up so far
    bool m_bFreshByte = true;             // the next pixel starts a new byte (depths 1 and 4)
    std::uint32_t m_nBitIndex = 0;        // pixels already taken from the current byte (depth 1)
    std::uint8_t m_byPixel = 0;           // the pixel index being returned
    std::uint8_t m_byHeld = 0;            // copy of the byte being taken apart
    std::uint32_t m_nLastBytePixels = 0;  // pixels in a row's last, partly used byte (0: full)
    int m_nDepth = 8;
    bool m_bTopDown = false;
};

template <int Depth>
inline int CPixelReader::Next() {
    static_assert(Depth == 1 || Depth == 4 || Depth == 8);
    if (m_nConsumed >= m_nImageSize) return kEndMarker;
    if (m_nColumn == m_nRowEnd) {
        // The current row is finished: count its padding and turn to the next row.
        m_nConsumed += m_nPadBytes;
        if (m_nConsumed >= m_nImageSize) return kEndMarker;
        m_nRowEnd += m_nRowBytes;
        if (m_bTopDown) {
            m_pRead += m_nPadBytes;
        } else {
            // From the end of the row just read back to the start of the row
            // stored before it.
            m_pRead -= m_nPadBytes + 2 * static_cast<std::uintptr_t>(m_nRowBytes);
        }
        m_bFreshByte = true;
        m_nBitIndex = 0;
    }
    if constexpr (Depth == 8) {
        m_byPixel = *m_pRead;
        ++m_pRead;
        ++m_nColumn;
        ++m_nConsumed;
    } else if constexpr (Depth == 4) {
        if (m_bFreshByte) {
            m_byHeld = *m_pRead;
            m_byPixel = static_cast<std::uint8_t>(m_byHeld >> 4);
            m_bFreshByte = false;
            if (m_nLastBytePixels != 0 && InLastByteOfRow()) FinishByte<Depth>();
        } else {
            m_byPixel = m_byHeld & 0x0F;
            FinishByte<Depth>();
        }
    } else {
        if (m_bFreshByte) {
            ++m_nBitIndex;
            m_byHeld = *m_pRead;
            m_byPixel = (m_byHeld >> (8 - m_nBitIndex)) & 1;
            if (m_nBitIndex == 7) m_bFreshByte = false;
            if (m_nLastBytePixels != 0 && m_nBitIndex == m_nLastBytePixels && InLastByteOfRow()) {
                FinishByte<Depth>();
            }
        } else {
            m_byPixel = m_byHeld & 1;
            FinishByte<Depth>();
        }
    }
    return m_byPixel;
}

}  // namespace vd
