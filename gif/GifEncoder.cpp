#include "gif/GifEncoder.h"

#include <cstring>
#include <new>

namespace vd {

namespace {

// Multiplicative hashing of the 20-bit key (prefix code << 8 | pixel) to a slot.
inline std::uint32_t Slot(std::uint32_t nKey) {
    return (nKey * 0x9E3779B1u) >> (32 - CGifEncoder::kTableBits);
}

// Whether the last-child cache stands in front of the string table: not at
// 1 bit, where the direct table is as small as the cache.
template <int Depth>
constexpr bool kLastChild = Depth >= 4;

// The generations of the two-pixel table go up in bits 12 to 15.
constexpr std::uint16_t kGenerationStep = 0x1000;

// Repeated strings over one table's lifetime (about 4090 new strings) below
// which the next table goes without the shortcuts: noise finds about 130.
constexpr std::uint32_t kRepeatsForShortcuts = 512;

}  // namespace

std::uint32_t CGifEncoder::CCodePacker::Settle(std::uint8_t* pBlock) {
    if (m_nAccBits > 0) {
        pBlock[m_nBytes++] = static_cast<std::uint8_t>(m_nAcc);
        m_nAcc = 0;
        m_nAccBits = 0;
    }
    return m_nBytes;
}

void CGifEncoder::ResetTable(int nMinCodeSize) {
    m_nCodeWidth = static_cast<std::uint16_t>(nMinCodeSize + 1);
    m_nClearCode = static_cast<std::uint16_t>(1u << nMinCodeSize);
    m_nEndCode = static_cast<std::uint16_t>(m_nClearCode + 1);
    m_nNextCode = static_cast<std::uint16_t>(m_nClearCode + 2);
    m_nCodeLimit = static_cast<std::uint16_t>(1u << m_nCodeWidth);
    // Only the one-pixel strings (the roots) are known. The entries kept by
    // prefix code are cleared here for the roots and, for every other code,
    // when it is assigned.
    const std::size_t nRoots = m_nClearCode;
    if (m_nDepth < 8) {
        std::memset(m_direct, 0, (nRoots << m_nDepth) * sizeof m_direct[0]);
    } else {
        for (std::uint32_t n = 0; n < m_nUsedSlots; ++n) m_pTable[m_usedSlots[n]] = 0;
        m_nUsedSlots = 0;
        m_nGeneration = static_cast<std::uint16_t>(m_nGeneration + kGenerationStep);
        if (m_nGeneration == 0) {
            std::memset(m_pPairs.get(), 0, kPairs * sizeof m_pPairs[0]);
            m_nGeneration = kGenerationStep;
        }
    }
    std::memset(m_lastChild, 0, nRoots * sizeof m_lastChild[0]);
    for (auto& n : m_runLength) n = 1;
}

void CGifEncoder::WriteBlock(CBufferedWriter& out, int nCount) {
    out.PutByte(static_cast<std::uint8_t>(nCount));
    out.Write(m_block, static_cast<std::size_t>(nCount));
}

template <int Depth>
bool CGifEncoder::CompressPixels(CBufferedWriter& out, int nMinCodeSize) {
    const int nFirst = m_reader.NextPixel();
    if (nFirst == CPixelReader::kEndMarker) return false;
    SCurrentString string{nFirst, 1, static_cast<std::uint32_t>(nFirst)};
    // The shortcuts (the last-child cache and the runs) pay only where
    // strings repeat. Over one table's lifetime the strings they found, or
    // while they are off the strings the table found, decide whether the
    // next table uses them. Either way the codes are the same: both only
    // ever hold strings of the current table, and are set up afresh with it.
    // Each choice has a loop of its own, which carries nothing of the other.
    bool bShortcuts = true;
    while (!(bShortcuts ? CompressTables<Depth, true>(out, nMinCodeSize, string)
                        : CompressTables<Depth, false>(out, nMinCodeSize, string))) {
        bShortcuts = !bShortcuts;
    }
    return true;
}

template <int Depth, bool Shortcuts>
bool CGifEncoder::CompressTables(CBufferedWriter& out, int nMinCodeSize, SCurrentString& string) {
    // The state that changes with every pixel or code lives in locals, which
    // the compiler keeps in registers across the table stores; it goes back
    // into the members at the end.
    CPixelReader reader = m_reader;
    CCodePacker packer = m_packer;
    std::uint32_t nNextCode = m_nNextCode;
    std::uint32_t nCodeLimit = m_nCodeLimit;
    std::uint32_t nCodeWidth = m_nCodeWidth;
    // A local copy: the compiler cannot keep a member in a register across
    // the stores into the 16-bit tables.
    std::uint32_t nGeneration = m_nGeneration;
    std::uint32_t* const pTable = m_pTable.get();
    std::uint16_t* const pPairs = m_pPairs.get();
    int nPrefix = string.nPrefix;
    std::uint32_t nRun = string.nRun;
    std::uint32_t nRunIndex = string.nRunIndex;
    const bool bRuns = Shortcuts && m_pRunCodes != nullptr;
    std::uint32_t nRepeats = 0;
    // Puts the locals back; the string goes on in the next loop.
    const auto save = [&] {
        m_reader = reader;
        m_packer = packer;
        m_nNextCode = static_cast<std::uint16_t>(nNextCode);
        m_nCodeLimit = static_cast<std::uint16_t>(nCodeLimit);
        m_nCodeWidth = static_cast<std::uint16_t>(nCodeWidth);
        string = {nPrefix, nRun, nRunIndex};
    };
    for (;;) {
        // Every run of this index up to m_runLength pixels is a known string,
        // so the pixels that continue the run are taken at once, when there
        // are enough of them to be worth it (short runs, as in noise, go the
        // ordinary way).
        if (bRuns && nRun != 0 && m_runLength[nRunIndex] >= nRun + kShortestRun &&
            reader.RunAhead(static_cast<std::uint8_t>(nRunIndex))) {
            nRun +=
                reader.TakeRun(static_cast<std::uint8_t>(nRunIndex), m_runLength[nRunIndex] - nRun);
            nPrefix = m_pRunCodes[nRunIndex * kRunRow + nRun];
            ++nRepeats;
        }
        const int x = reader.NextPixel();
        if (x == CPixelReader::kEndMarker) break;
        std::uint16_t* pDirect = nullptr;  // the string's entry, when kept by prefix and pixel
        std::uint32_t nKey = 0;
        std::uint32_t h = 0;
        const std::uint32_t nTag = static_cast<std::uint32_t>(x) | 0x100u;
        if (kLastChild<Depth> && Shortcuts) {
            // The string last taken after this prefix is tried first: in flat
            // areas and repeated patterns it is nearly always the one.
            const std::uint32_t nChild = m_lastChild[nPrefix];
            if ((nChild >> 12) == nTag) {
                nPrefix = static_cast<int>(nChild & 0xFFF);
                nRun = 0;
                ++nRepeats;
                continue;
            }
        }
        std::uint32_t nFound;
        if constexpr (Depth < 8) {
            // Few pixel values: the child is found directly by prefix and pixel.
            pDirect = &m_direct[(static_cast<std::uint32_t>(nPrefix) << Depth) |
                                static_cast<std::uint32_t>(x)];
            nFound = *pDirect;
        } else if (nPrefix < 256) {
            // A two-pixel string: straight from the pair table, an entry of
            // an earlier generation reading as none.
            pDirect =
                &pPairs[(static_cast<std::uint32_t>(nPrefix) << 8) | static_cast<std::uint32_t>(x)];
            const std::uint32_t nEntry = *pDirect ^ nGeneration;
            nFound = nEntry <= 0xFFF ? nEntry : 0;
        } else {
            nKey = (static_cast<std::uint32_t>(nPrefix) << 8) | static_cast<std::uint32_t>(x);
            h = Slot(nKey);
            std::uint32_t nEntry;
            while ((nEntry = pTable[h]) != 0) {
                if ((nEntry >> 12) == nKey) break;
                h = (h + 1) & (kTableSlots - 1);
            }
            nFound = nEntry & 0xFFF;
        }
        if (nFound != 0) {  // the string is known
            if (kLastChild<Depth> && Shortcuts) m_lastChild[nPrefix] = (nTag << 12) | nFound;
            if (!Shortcuts) ++nRepeats;
            nPrefix = static_cast<int>(nFound);
            nRun = 0;
            continue;
        }
        // A new string: write its known part and give the whole a code.
        PutCode(packer, out, static_cast<std::uint32_t>(nPrefix), nCodeWidth);
        const std::uint32_t k = nNextCode;
        if (k <= kLargestCode) {
            if constexpr (Depth < 8) {
                *pDirect = static_cast<std::uint16_t>(k);
                // The new string has no children yet.
                std::memset(&m_direct[k << Depth], 0, sizeof m_direct[0] << Depth);
            } else if (pDirect != nullptr) {
                *pDirect = static_cast<std::uint16_t>(k | nGeneration);
            } else {
                pTable[h] = (nKey << 12) | k;
                m_usedSlots[m_nUsedSlots++] = static_cast<std::uint16_t>(h);
            }
            if (kLastChild<Depth> && Shortcuts) {
                m_lastChild[nPrefix] = (nTag << 12) | k;
                m_lastChild[k] = 0;
            }
            if (bRuns && static_cast<std::uint32_t>(x) == nRunIndex) {
                // A string's code names it: when the prefix is the longest
                // known run of this index, that run grows by one pixel.
                const std::uint32_t nLength = m_runLength[nRunIndex];
                const std::uint32_t nLongest =
                    nLength == 1 ? nRunIndex : m_pRunCodes[nRunIndex * kRunRow + nLength];
                if (static_cast<std::uint32_t>(nPrefix) == nLongest) {
                    m_pRunCodes[nRunIndex * kRunRow + nLength + 1] = static_cast<std::uint16_t>(k);
                    m_runLength[nRunIndex] = static_cast<std::uint16_t>(nLength + 1);
                }
            }
            nNextCode = k + 1;
        }
        if (k == nCodeLimit) {
            if (nCodeWidth < kLargestWidth) {
                ++nCodeWidth;
                nCodeLimit *= 2;
            } else {
                // Code 4095 has been assigned: clear, in 12 bits, and start over.
                PutCode(packer, out, m_nClearCode, nCodeWidth);
                m_nNextCode = static_cast<std::uint16_t>(nNextCode);
                ResetTable(nMinCodeSize);
                nGeneration = m_nGeneration;
                nNextCode = m_nNextCode;
                nCodeLimit = m_nCodeLimit;
                nCodeWidth = m_nCodeWidth;
                const bool bNext = nRepeats >= kRepeatsForShortcuts;
                nRepeats = 0;
                if (bNext != Shortcuts) {
                    nPrefix = x;
                    nRun = 1;
                    nRunIndex = static_cast<std::uint32_t>(x);
                    save();
                    return false;
                }
            }
        }
        nPrefix = x;
        nRun = 1;
        nRunIndex = static_cast<std::uint32_t>(x);
    }
    PutCode(packer, out, static_cast<std::uint32_t>(nPrefix), nCodeWidth);
    PutCode(packer, out, m_nEndCode, nCodeWidth);
    save();
    return true;
}

void CGifEncoder::Compress(CBufferedWriter& out, std::uint16_t nDepth, const std::uint8_t* pPixels,
                           std::uint16_t nWidth, std::uint16_t /*nHeight*/,
                           std::uint32_t nImageSize, bool bTopDown) {
    if (nDepth != 1 && nDepth != 4 && nDepth != 8) return;
    m_reader.Start(nDepth, pPixels, nWidth, nImageSize, bTopDown, m_rowBuffer);
    CompressStarted(out, nDepth);
}

void CGifEncoder::Compress(CBufferedWriter& out, std::uint16_t nDepth, CRowSource& source,
                           std::uint16_t nWidth, std::uint32_t nImageSize, bool bTopDown) {
    if (nDepth != 1 && nDepth != 4 && nDepth != 8) return;
    m_reader.Start(nDepth, source, nWidth, nImageSize, bTopDown, m_rowBuffer);
    CompressStarted(out, nDepth);
}

void CGifEncoder::CompressStarted(CBufferedWriter& out, std::uint16_t nDepth) {
    m_nDepth = nDepth;
    // Without it runs are found string by string, like any other strings.
    m_pRunCodes.reset(new (std::nothrow) std::uint16_t[(std::size_t{1} << nDepth) * kRunRow]);

    const int nMinCodeSize = nDepth == 1 ? 2 : nDepth;
    out.PutByte(static_cast<std::uint8_t>(nMinCodeSize));

    m_packer.Clear();
    if (nDepth == 8) {
        if (!m_pTable) {
            m_pTable.reset(
                static_cast<std::uint32_t*>(std::calloc(kTableSlots, sizeof m_pTable[0])));
            m_pPairs.reset(static_cast<std::uint16_t*>(std::calloc(kPairs, sizeof m_pPairs[0])));
            if (!m_pTable || !m_pPairs) {
                m_pTable.reset();
                throw std::bad_alloc();
            }
        } else if (m_bTablesUsed) {
            std::memset(m_pTable.get(), 0, kTableSlots * sizeof m_pTable[0]);
            std::memset(m_pPairs.get(), 0, kPairs * sizeof m_pPairs[0]);
        }
        m_bTablesUsed = true;
        m_nUsedSlots = 0;
        m_nGeneration = 0;
    }
    ResetTable(nMinCodeSize);
    PutCode(m_packer, out, m_nClearCode, m_nCodeWidth);
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
    // The pending bytes, the partial one included, leave in sub-blocks of at
    // most 255 bytes.
    const std::uint32_t nPending = m_packer.Settle(m_block);
    for (std::uint32_t nDone = 0; nDone < nPending;) {
        const std::uint32_t n = nPending - nDone < 255u ? nPending - nDone : 255u;
        out.PutByte(static_cast<std::uint8_t>(n));
        out.Write(m_block + nDone, n);
        nDone += n;
    }
    m_packer.Clear();
}

}  // namespace vd
