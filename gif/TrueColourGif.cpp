#include "gif/TrueColourGif.h"

#include <array>
#include <cstring>
#include <memory>

#include "common/Exceptions.h"
#include "common/Strings.h"
#include "gif/ColourTable.h"
#include "gif/DibToGif.h"
#include "gif/PackedDib.h"

namespace vd {

namespace {

// Writes the index of each of the row's nWidth pixels (nStep bytes each)
// to pIndices, as lookup answers it; false when lookup finds none (-1).
template <std::uint32_t nStep, typename TLookup>
bool IndexPixels(const std::uint8_t* p, std::uint8_t* pIndices, std::uint32_t nWidth,
                 TLookup lookup) {
    std::uint8_t nLast = 0;  // the index of the pixel before, kept out of memory
    return WalkRow<nStep>(
        p, nWidth,
        [&](std::uint32_t rgb, std::uint32_t x) {
            const int nFound = lookup(rgb);
            if (nFound < 0) return false;
            nLast = static_cast<std::uint8_t>(nFound);
            pIndices[x] = nLast;
            return true;
        },
        [&](std::uint32_t x) { std::memset(pIndices + x, nLast, 8); });
}

// The rows of a true-colour bitmap as rows of colour indices, packed at 1, 4
// or 8 bits per pixel and padded to 4 bytes, in the same storage order.
class CIndexedRows final : public CRowSource {
  public:
    CIndexedRows(const CDibLayout& source, CRowSource& rows, const CColourTable& table,
                 std::uint16_t nDepth, std::uint64_t nStride)
        : m_rows(rows),
          m_table(table),
          m_nStep(source.nDepth / 8u),
          m_nWidth(source.nWidth),
          m_nDepth(nDepth),
          m_nRowBytes(std::size_t{source.nWidth} * (source.nDepth / 8u)),
          m_pRow(std::make_unique<std::uint8_t[]>(static_cast<std::size_t>(nStride))),
          m_pIndices(nDepth == 8 ? nullptr : std::make_unique<std::uint8_t[]>(source.nWidth)) {}

    const std::uint8_t* Row(std::uint32_t nRow) override {
        const std::uint8_t* p = m_rows.Row(nRow);
        // The same bytes as the row before: the same indices, still in the
        // row buffer.
        if (m_pPrevious != nullptr && std::memcmp(p, m_pPrevious, m_nRowBytes) == 0) {
            return m_pRow.get();
        }
        if (m_rows.RowsStay()) m_pPrevious = p;
        // The indices, one byte each (at 8 bits straight into the row).
        std::uint8_t* const pIndices = m_nDepth == 8 ? m_pRow.get() : m_pIndices.get();
        if (m_nStep == 3) {
            IndexRow<3>(p, pIndices);
        } else {
            IndexRow<4>(p, pIndices);
        }
        if (m_nDepth == 4) {
            for (std::uint32_t x = 0; x < m_nWidth; x += 2) {
                const std::uint8_t nLow = x + 1 < m_nWidth ? pIndices[x + 1] : 0;
                m_pRow[x / 2] = static_cast<std::uint8_t>((pIndices[x] << 4) | nLow);
            }
        } else if (m_nDepth == 1) {
            for (std::uint32_t x = 0; x < m_nWidth; x += 8) {
                std::uint8_t by = 0;
                for (std::uint32_t i = 0; i < 8 && x + i < m_nWidth; ++i) {
                    by = static_cast<std::uint8_t>(by | (pIndices[x + i] << (7 - i)));
                }
                m_pRow[x / 8] = by;
            }
        }
        return m_pRow.get();
    }

  private:
    // Writes the index of each of the row's pixels from the counted table.
    template <std::uint32_t nStep>
    void IndexRow(const std::uint8_t* p, std::uint8_t* pIndices) const {
        if (!IndexPixels<nStep>(p, pIndices, m_nWidth,
                                [this](std::uint32_t rgb) { return m_table.Find(rgb); })) {
            throw CException("the picture changed while it was being converted");
        }
    }

    CRowSource& m_rows;
    const CColourTable& m_table;
    std::uint32_t m_nStep;
    std::uint32_t m_nWidth;
    std::uint16_t m_nDepth;
    std::size_t m_nRowBytes;                     // of a source row, without padding
    const std::uint8_t* m_pPrevious = nullptr;   // the source row last indexed
    std::unique_ptr<std::uint8_t[]> m_pRow;      // the packed row, padded
    std::unique_ptr<std::uint8_t[]> m_pIndices;  // below 8 bits: its indices
};

}  // namespace

std::string TooManyColoursReason() {
    return "at least " + std::to_string(kMaxGifColours + 1) + " colours; a GIF holds at most " +
           std::to_string(kMaxGifColours) + " (colours are never reduced)";
}

namespace {

// The indexed form of a true-colour bitmap: its layout at 1, 4 or 8 bits,
// and its colour table as a DIB holds it (blue, green, red, unused).
struct CIndexedForm {
    CDibLayout layout;
    std::array<std::uint8_t, 4 * kMaxGifColours> quads{};
};

// Counts the colours; false (with the reason) when there are too many.
bool PrepareIndexedForm(const CDibLayout& layout, CRowSource& rows, CColourTable& table,
                        CIndexedForm& form, std::uint32_t& nColours, std::string* pstrReason) {
    nColours = CountColours(layout, rows, table);
    if (nColours > kMaxGifColours) {
        SetReason(pstrReason, TooManyColoursReason());
        return false;
    }
    CDibLayout& indexed = form.layout;
    indexed = layout;
    if (nColours <= 2) {
        indexed.nDepth = 1;
        indexed.byScreenFields = 0x80;
    } else if (nColours <= 16) {
        indexed.nDepth = 4;
        indexed.byScreenFields = 0xB3;
    } else {
        indexed.nDepth = 8;
        indexed.byScreenFields = 0xF7;
    }
    indexed.bTrueColour = false;
    indexed.nColours = nColours;
    indexed.nStride = (std::uint64_t{layout.nWidth} * indexed.nDepth + 31) / 32 * 4;
    indexed.nImageSize = indexed.nStride * layout.nHeight;
    for (std::uint32_t i = 0; i < nColours; ++i) {
        const std::uint32_t rgb = table.GetColour(i);
        form.quads[4 * i] = static_cast<std::uint8_t>(rgb);
        form.quads[4 * i + 1] = static_cast<std::uint8_t>(rgb >> 8);
        form.quads[4 * i + 2] = static_cast<std::uint8_t>(rgb >> 16);
    }
    return true;
}

}  // namespace

int WriteTrueColourGif(CFile& file, const CDibLayout& layout, CRowSource& rows,
                       std::string* pstrReason) {
    CColourTable table;
    CIndexedForm form;
    std::uint32_t nColours = 0;
    if (!PrepareIndexedForm(layout, rows, table, form, nColours, pstrReason)) return 0;
    CIndexedRows indexedRows(layout, rows, table, form.layout.nDepth, form.layout.nStride);
    WriteGif(file, form.layout, form.quads.data(), indexedRows);
    return 1;
}

CMemoryBlock MakeIndexedDib(const std::uint8_t* pDib, std::size_t nSize, std::uint32_t& nColours,
                            std::string* pstrReason) {
    nColours = 0;
    CDibLayout layout;
    if (!ReadDibLayout(pDib, nSize, layout, pstrReason)) return {};
    if (!layout.bTrueColour) {
        SetReason(pstrReason, "the bitmap is not a true-colour bitmap");
        return {};
    }

    // One pass, top row first: each pixel's index at 8 bits, its colour
    // added in the order of first appearance, straight into the block. The
    // colour table has room for all 256 entries (those past the colours
    // stay black, as in the GIF); the rows are packed to 4 or 1 bit in place
    // afterwards when the colours allow.
    const std::uint32_t nStep = layout.nDepth / 8u;
    const std::size_t nRowBytes = std::size_t{layout.nWidth} * nStep;
    const std::size_t nStride8 = (std::size_t{layout.nWidth} + 3) / 4 * 4;
    const std::size_t nTable = 4 * std::size_t{kMaxGifColours};
    CMemoryBlock block =
        CMemoryBlock::AllocateUncleared(kInfoHeaderSize + nTable + nStride8 * layout.nHeight);
    if (!block) throw CMemoryException();
    {
        CMemoryLock lock(block);
        std::uint8_t* const pOut = lock.Data();
        std::uint8_t* const pRows = pOut + kInfoHeaderSize + nTable;
        const std::uint8_t* const pSource = pDib + layout.nRowsOffset;
        CColourTable table;
        const auto addNew = [&table](std::uint32_t rgb) { return table.Index(rgb); };
        const std::uint8_t* pPreviousSource = nullptr;
        const std::uint8_t* pPreviousRow = nullptr;
        for (std::uint32_t nRow = 0; nRow < layout.nHeight; ++nRow) {
            const std::uint32_t nStored = layout.bTopDown ? nRow : layout.nHeight - 1u - nRow;
            const std::uint8_t* const pFrom = pSource + nStored * layout.nStride;
            std::uint8_t* const pTo = pRows + nStored * nStride8;
            if (pPreviousSource != nullptr && std::memcmp(pFrom, pPreviousSource, nRowBytes) == 0) {
                std::memcpy(pTo, pPreviousRow, nStride8);  // the same row again
            } else {
                const bool bFits = nStep == 3 ? IndexPixels<3>(pFrom, pTo, layout.nWidth, addNew)
                                              : IndexPixels<4>(pFrom, pTo, layout.nWidth, addNew);
                if (!bFits) {
                    nColours = kMaxGifColours + 1;
                    SetReason(pstrReason, TooManyColoursReason());
                    return {};
                }
                std::memset(pTo + layout.nWidth, 0, nStride8 - layout.nWidth);
            }
            pPreviousSource = pFrom;
            pPreviousRow = pTo;
        }
        nColours = table.GetCount();

        const std::uint16_t nDepth = nColours <= 2 ? 1 : nColours <= 16 ? 4 : 8;
        const std::size_t nStride = (std::size_t{layout.nWidth} * nDepth + 31) / 32 * 4;
        if (nDepth < 8) {
            // In place, front to back: each packed byte lands before the bytes
            // it is made of, and every row starts no later than its 8-bit form.
            const std::uint32_t nPerByte = 8u / nDepth;
            for (std::size_t nRow = 0; nRow < layout.nHeight; ++nRow) {
                const std::uint8_t* pIn = pRows + nRow * nStride8;
                std::uint8_t* pPacked = pRows + nRow * nStride;
                for (std::size_t nByte = 0; nByte < nStride; ++nByte) {
                    std::uint8_t by = 0;
                    for (std::uint32_t i = 0; i < nPerByte; ++i) {
                        const std::size_t x = nByte * nPerByte + i;
                        const std::uint8_t nIndex = x < layout.nWidth ? pIn[x] : 0;
                        by = static_cast<std::uint8_t>(by | (nIndex << (8 - nDepth * (i + 1))));
                    }
                    pPacked[nByte] = by;
                }
            }
        }
        std::memcpy(pOut, pDib, kInfoHeaderSize);
        pOut[dib::kBitCount] = static_cast<std::uint8_t>(nDepth);
        pOut[dib::kBitCount + 1] = 0;
        WriteLe32(pOut + dib::kCompression, kCompressionNone);
        WriteLe32(pOut + dib::kSizeImage, static_cast<std::uint32_t>(nStride * layout.nHeight));
        WriteLe32(pOut + dib::kClrUsed, kMaxGifColours);
        WriteLe32(pOut + dib::kClrUsed + 4, nColours);  // important colours: those used
        std::memset(pOut + kInfoHeaderSize, 0, nTable);
        for (std::uint32_t i = 0; i < nColours; ++i) {
            const std::uint32_t rgb = table.GetColour(i);
            pOut[kInfoHeaderSize + 4 * i] = static_cast<std::uint8_t>(rgb);
            pOut[kInfoHeaderSize + 4 * i + 1] = static_cast<std::uint8_t>(rgb >> 8);
            pOut[kInfoHeaderSize + 4 * i + 2] = static_cast<std::uint8_t>(rgb >> 16);
        }
    }
    return block;
}

}  // namespace vd
