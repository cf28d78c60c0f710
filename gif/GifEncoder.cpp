#include "gif/GifEncoder.h"

#include <cstring>

namespace vd {

namespace {

// Multiplicative hashing of the 20-bit key (prefix code << 8 | pixel) to a slot.
inline std::uint32_t Slot(std::uint32_t nKey) {
    return (nKey * 0x9E3779B1u) >> (32 - CGifEncoder::kTableBits);
}

}  // namespace

void CGifEncoder::ResetTable(int nMinCodeSize) {
    m_nCodeWidth = static_cast<std::uint16_t>(nMinCodeSize + 1);
    m_nClearCode = static_cast<std::uint16_t>(1u << nMinCodeSize);
    m_nEndCode = static_cast<std::uint16_t>(m_nClearCode + 1);
    m_nNextCode = static_cast<std::uint16_t>(m_nClearCode + 2);
    m_nCodeLimit = static_cast<std::uint16_t>(1u << m_nCodeWidth);
    std::memset(m_table, 0, sizeof m_table);
}

void CGifEncoder::WriteBlock(CBufferedWriter& out, int nCount) {
    out.PutByte(static_cast<std::uint8_t>(nCount));
    out.Write(m_block, static_cast<std::size_t>(nCount));
}

void CGifEncoder::PutCode(CBufferedWriter& out, int nCode) {
    unsigned i = m_nBitCount / 8u;
    const unsigned o = m_nBitCount % 8u;
    if (i >= static_cast<unsigned>(kFlushThreshold)) {
        WriteBlock(out, static_cast<int>(i));
        m_block[0] = m_block[i];
        m_nBitCount = static_cast<std::uint16_t>(o);
        i = 0;
    }
    // The bits of the partial byte below o are kept; everything above them is
    // stored whole, so no stale bits from earlier codes reach the file.
    const std::uint32_t v =
        (static_cast<std::uint32_t>(nCode) << o) | (m_block[i] & ((1u << o) - 1u));
    m_block[i] = static_cast<std::uint8_t>(v);
    m_block[i + 1] = static_cast<std::uint8_t>(v >> 8);
    m_block[i + 2] = static_cast<std::uint8_t>(v >> 16);
    m_nBitCount = static_cast<std::uint16_t>(m_nBitCount + m_nCodeWidth);
}

template <int Depth>
bool CGifEncoder::CompressPixels(CBufferedWriter& out, int nMinCodeSize) {
    int nPrefix = NextPixel<Depth>();
    if (nPrefix == CPixelReader::kEndMarker) return false;
    for (;;) {
        const int x = NextPixel<Depth>();
        if (x == CPixelReader::kEndMarker) break;
        const std::uint32_t nKey =
            (static_cast<std::uint32_t>(nPrefix) << 8) | static_cast<std::uint32_t>(x);
        std::uint32_t h = Slot(nKey);
        std::uint32_t nEntry;
        while ((nEntry = m_table[h]) != 0) {
            if ((nEntry >> 12) == nKey) break;
            h = (h + 1) & (kTableSlots - 1);
        }
        if (nEntry != 0) {  // the string is known
            nPrefix = static_cast<int>(nEntry & 0xFFF);
            continue;
        }
        // A new string: write its known part and give the whole a code.
        PutCode(out, nPrefix);
        const int k = m_nNextCode;
        if (k <= kLargestCode) {
            m_table[h] = (nKey << 12) | static_cast<std::uint32_t>(k);
            m_nNextCode = static_cast<std::uint16_t>(k + 1);
        }
        if (k == m_nCodeLimit) {
            if (m_nCodeWidth < kLargestWidth) {
                ++m_nCodeWidth;
                m_nCodeLimit = static_cast<std::uint16_t>(m_nCodeLimit * 2);
            } else {
                PutCode(out, m_nClearCode);
                ResetTable(nMinCodeSize);
            }
        }
        nPrefix = x;
    }
    PutCode(out, nPrefix);
    PutCode(out, m_nEndCode);
    return true;
}

void CGifEncoder::Compress(CBufferedWriter& out, std::uint16_t nDepth, const std::uint8_t* pPixels,
                           std::uint16_t nWidth, std::uint16_t /*nHeight*/,
                           std::uint32_t nImageSize, bool bTopDown) {
    if (nDepth != 1 && nDepth != 4 && nDepth != 8) return;
    m_reader.Start(nDepth, pPixels, nWidth, nImageSize, bTopDown);

    const int nMinCodeSize = nDepth == 1 ? 2 : nDepth;
    out.PutByte(static_cast<std::uint8_t>(nMinCodeSize));

    m_nBitCount = 0;
    ResetTable(nMinCodeSize);
    PutCode(out, m_nClearCode);
    bool bAnyPixel;
    switch (nDepth) {
        case 1:
            bAnyPixel = CompressPixels<1>(out, nMinCodeSize);
            break;
        case 4:
            bAnyPixel = CompressPixels<4>(out, nMinCodeSize);
            break;
        default:
            bAnyPixel = CompressPixels<8>(out, nMinCodeSize);
            break;
    }
    // An empty picture leaves only the clear code pending, and nothing
    // follows the code size byte.
    if (!bAnyPixel) return;
    // The pending bytes leave in sub-blocks of at most 255 bytes.
    const unsigned nPending = (m_nBitCount + 7u) / 8u;
    for (unsigned nDone = 0; nDone < nPending;) {
        const unsigned n = nPending - nDone < 255u ? nPending - nDone : 255u;
        out.PutByte(static_cast<std::uint8_t>(n));
        out.Write(m_block + nDone, n);
        nDone += n;
    }
    m_nBitCount = 0;
}

}  // namespace vd
