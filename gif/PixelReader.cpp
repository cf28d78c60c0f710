#include "gif/PixelReader.h"

namespace vd {

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

void CPixelReader::Start(int nDepth, const std::uint8_t* pPixels, std::uint32_t nWidth,
                         std::uint32_t nImageSize, bool bTopDown) {
    m_nDepth = nDepth;
    m_bTopDown = bTopDown;
    m_nRowBytes = RowBytes(nDepth, nWidth);
    m_nPadBytes = PadBytes(m_nRowBytes);
    const std::uint64_t nStride = std::uint64_t{m_nRowBytes} + m_nPadBytes;
    const std::uint64_t nRows = nStride == 0 ? 0 : nImageSize / nStride;
    m_nImageSize = static_cast<std::uint32_t>(nRows * nStride);
    m_nLastBytePixels = nDepth == 1 ? nWidth % 8 : nDepth == 4 ? nWidth % 2 : 0;
    // Bottom row first in memory: reading starts at the last stored row.
    m_pRead = pPixels;
    if (!bTopDown && nRows > 0) m_pRead += m_nImageSize - nStride;
    m_nColumn = 0;
    m_nConsumed = 0;
    m_nRowEnd = m_nRowBytes;
    m_nBitIndex = 0;
    m_bFreshByte = true;
    m_byPixel = 0;
    m_byHeld = 0;
}

int CPixelReader::NextPixel() {
    switch (m_nDepth) {
        case 1:
            return Next<1>();
        case 4:
            return Next<4>();
        case 8:
            return Next<8>();
        default:
            return kEndMarker;
    }
}

}  // namespace vd
