#include "gif/PixelReader.h"

#include <array>

namespace vd {

namespace {

// The pixels of one byte: eight at 1 bit (bit 7 first), two at 4 bits (high
// nibble first), one byte per pixel.
struct CUnpackTables {
    std::array<std::array<std::uint8_t, 8>, 256> bits;
    std::array<std::array<std::uint8_t, 2>, 256> nibbles;
};

constexpr CUnpackTables MakeUnpackTables() {
    CUnpackTables tables{};
    for (unsigned b = 0; b < 256; ++b) {
        for (unsigned i = 0; i < 8; ++i) {
            tables.bits[b][i] = static_cast<std::uint8_t>((b >> (7 - i)) & 1);
        }
        tables.nibbles[b][0] = static_cast<std::uint8_t>(b >> 4);
        tables.nibbles[b][1] = static_cast<std::uint8_t>(b & 15);
    }
    return tables;
}

constexpr CUnpackTables kUnpack = MakeUnpackTables();

}  // namespace

std::uint32_t CPixelReader::RowBytes(int nDepth, std::uint32_t nWidth) {
    switch (nDepth) {
        case 1:
            return nWidth / 8 + (nWidth % 8 != 0 ? 1 : 0);
        case 4:
            return nWidth / 2 + (nWidth % 2 != 0 ? 1 : 0);
        default:
            return nWidth;
    }
}

void CPixelReader::Start(int nDepth, const std::uint8_t* pPixels, std::uint16_t nWidth,
                         std::uint32_t nImageSize, bool bTopDown, std::uint8_t* pRowBuffer) {
    const std::uint32_t nRowBytes = RowBytes(nDepth, nWidth);
    m_memoryRows = CMemoryRows(pPixels, nRowBytes + PadBytes(nRowBytes));
    Start(nDepth, m_memoryRows, nWidth, nImageSize, bTopDown, pRowBuffer);
}

void CPixelReader::Start(int nDepth, CRowSource& source, std::uint16_t nWidth,
                         std::uint32_t nImageSize, bool bTopDown, std::uint8_t* pRowBuffer) {
    m_nDepth = nDepth;
    m_bTopDown = bTopDown;
    m_nWidth = nWidth;
    m_nRowBytes = RowBytes(nDepth, nWidth);
    m_nStride = m_nRowBytes + PadBytes(m_nRowBytes);
    m_nRows = m_nStride == 0 ? 0 : nImageSize / m_nStride;
    m_nRowsRead = 0;
    m_pSource = &source;
    m_pRowBuffer = pRowBuffer;
    // No current row: the first call of NextPixel turns to the first one.
    m_pPixel = nullptr;
    m_pRowEnd = nullptr;
    if (nDepth != 8 && pRowBuffer == nullptr) m_nRows = 0;
}

bool CPixelReader::NextRow() {
    if (m_nRowsRead == m_nRows) return false;
    // Bottom row first in memory: GIF's top row is the last stored one.
    const std::uint32_t nStored = m_bTopDown ? m_nRowsRead : m_nRows - 1 - m_nRowsRead;
    ++m_nRowsRead;
    const std::uint8_t* pRow = m_pSource->Row(nStored);
    if (m_nDepth == 8) {
        m_pPixel = pRow;
    } else {
        std::uint8_t* pOut = m_pRowBuffer;
        if (m_nDepth == 1) {
            for (std::uint32_t i = 0; i < m_nRowBytes; ++i, pOut += 8) {
                std::memcpy(pOut, kUnpack.bits[pRow[i]].data(), 8);
            }
        } else {
            for (std::uint32_t i = 0; i < m_nRowBytes; ++i, pOut += 2) {
                std::memcpy(pOut, kUnpack.nibbles[pRow[i]].data(), 2);
            }
        }
        m_pPixel = m_pRowBuffer;
    }
    // The unused low-order bits of a partly used last byte lie beyond the end.
    m_pRowEnd = m_pPixel + m_nWidth;
    return true;
}

}  // namespace vd
