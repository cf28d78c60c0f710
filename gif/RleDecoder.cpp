#include "gif/RleDecoder.h"

namespace vd {

namespace {

// Writes pixels into the plain rows, dropping any outside the picture.
class CRowPainter {
  public:
    CRowPainter(int nDepth, std::uint8_t* pRows, std::uint32_t nWidth, std::uint32_t nRows,
                std::size_t nStride)
        : m_nDepth(nDepth), m_pRows(pRows), m_nWidth(nWidth), m_nRows(nRows), m_nStride(nStride) {}

    void Put(unsigned nIndex) {
        const auto byIndex = static_cast<std::uint8_t>(nIndex);
        if (m_x < m_nWidth && m_y < m_nRows) {
            std::uint8_t* pRow = m_pRows + m_y * m_nStride;
            if (m_nDepth == 8) {
                pRow[m_x] = byIndex;
            } else {
                std::uint8_t& by = pRow[m_x / 2];
                if (m_x % 2 == 0) {
                    by = static_cast<std::uint8_t>((by & 0x0F) | (byIndex << 4));
                } else {
                    by = static_cast<std::uint8_t>((by & 0xF0) | (byIndex & 0x0F));
                }
            }
        }
        // Positions only grow, one pixel at a time or by a delta of at most
        // 255, so they cannot wrap around a 64-bit counter.
        ++m_x;
    }
    void NextLine() {
        m_x = 0;
        ++m_y;
    }
    void Move(std::uint8_t dx, std::uint8_t dy) {
        m_x += dx;
        m_y += dy;
    }
    bool PastLastRow() const { return m_y >= m_nRows; }

  private:
    int m_nDepth;
    std::uint8_t* m_pRows;
    std::uint64_t m_nWidth;
    std::uint64_t m_nRows;
    std::size_t m_nStride;
    std::uint64_t m_x = 0;
    std::uint64_t m_y = 0;  // row counted from the bottom
};

}  // namespace

void DecodeRle(int nDepth, const std::uint8_t* pEncoded, std::size_t nEncoded, std::uint8_t* pRows,
               std::uint32_t nWidth, std::uint32_t nRows, std::size_t nStride) {
    if (nDepth != 8 && nDepth != 4) return;
    CRowPainter painter(nDepth, pRows, nWidth, nRows, nStride);
    std::size_t i = 0;
    while (nEncoded - i >= 2 && !painter.PastLastRow()) {
        const std::uint8_t nCount = pEncoded[i];
        const std::uint8_t byValue = pEncoded[i + 1];
        i += 2;
        if (nCount > 0) {
            // Encoded run: nCount pixels of one index (8 bits) or of two
            // alternating indices, high nibble first (4 bits).
            for (unsigned n = 0; n < nCount; ++n) {
                if (nDepth == 8) {
                    painter.Put(byValue);
                } else {
                    painter.Put(n % 2 == 0 ? byValue >> 4 : byValue & 0x0Fu);
                }
            }
            continue;
        }
        switch (byValue) {
            case 0:  // end of line
                painter.NextLine();
                break;
            case 1:  // end of bitmap
                return;
            case 2:  // delta: move right and up
                if (nEncoded - i < 2) return;
                painter.Move(pEncoded[i], pEncoded[i + 1]);
                i += 2;
                break;
            default: {
                // Absolute run of byValue pixels, its bytes padded to an even count.
                const unsigned nPixels = byValue;
                const std::size_t nBytes = nDepth == 8 ? nPixels : (nPixels + 1) / 2;
                const std::size_t nAvailable = nEncoded - i;
                for (unsigned n = 0; n < nPixels; ++n) {
                    const std::size_t nByte = nDepth == 8 ? n : n / 2;
                    if (nByte >= nAvailable) return;  // the data ends inside the run
                    const std::uint8_t by = pEncoded[i + nByte];
                    if (nDepth == 8) {
                        painter.Put(by);
                    } else {
                        painter.Put(n % 2 == 0 ? by >> 4 : by & 0x0Fu);
                    }
                }
                const std::size_t nPadded = nBytes + (nBytes % 2);
                i += nPadded < nAvailable ? nPadded : nAvailable;
                break;
            }
        }
    }
}

}  // namespace vd
