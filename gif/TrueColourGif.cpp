#include "gif/TrueColourGif.h"

#include <array>
#include <cstring>
#include <memory>

#include "common/Exceptions.h"
#include "common/Strings.h"
#include "gif/ColourTable.h"
#include "gif/DibToGif.h"

namespace vd {

namespace {

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
          m_pRow(std::make_unique<std::uint8_t[]>(static_cast<std::size_t>(nStride))) {}

    const std::uint8_t* Row(std::uint32_t nRow) override {
        const std::uint8_t* p = m_rows.Row(nRow);
        std::uint8_t* const pOut = m_pRow.get();
        std::uint32_t nLast = 0xFFFFFFFFu;
        std::uint8_t nIndex = 0;
        for (std::uint32_t x = 0; x < m_nWidth; ++x, p += m_nStep) {
            const std::uint32_t rgb = PixelColour(p);
            if (rgb != nLast) {
                const int nFound = m_table.Find(rgb);
                if (nFound < 0) {
                    throw CException("the picture changed while it was being converted");
                }
                nLast = rgb;
                nIndex = static_cast<std::uint8_t>(nFound);
            }
            if (m_nDepth == 8) {
                pOut[x] = nIndex;
            } else if (m_nDepth == 4) {
                std::uint8_t& by = pOut[x / 2];
                by = (x % 2 == 0) ? static_cast<std::uint8_t>(nIndex << 4)
                                  : static_cast<std::uint8_t>(by | nIndex);
            } else {
                std::uint8_t& by = pOut[x / 8];
                const auto nBit = static_cast<std::uint8_t>(nIndex << (7 - x % 8));
                by = (x % 8 == 0) ? nBit : static_cast<std::uint8_t>(by | nBit);
            }
        }
        return pOut;
    }

  private:
    CRowSource& m_rows;
    const CColourTable& m_table;
    std::uint32_t m_nStep;
    std::uint32_t m_nWidth;
    std::uint16_t m_nDepth;
    std::unique_ptr<std::uint8_t[]> m_pRow;
};

}  // namespace

std::string TooManyColoursReason() {
    return "at least " + std::to_string(kMaxGifColours + 1) + " colours; a GIF holds at most " +
           std::to_string(kMaxGifColours) + " (colours are never reduced)";
}

int WriteTrueColourGif(CFile& file, const CDibLayout& layout, CRowSource& rows,
                       std::string* pstrReason) {
    CColourTable table;
    const std::uint32_t nColours = CountColours(layout, rows, table);
    if (nColours > kMaxGifColours) {
        SetReason(pstrReason, TooManyColoursReason());
        return 0;
    }

    CDibLayout indexed = layout;
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

    // The colour table as a DIB holds it: blue, green, red, unused.
    std::array<std::uint8_t, 4 * kMaxGifColours> quads{};
    for (std::uint32_t i = 0; i < nColours; ++i) {
        const std::uint32_t rgb = table.GetColour(i);
        quads[4 * i] = static_cast<std::uint8_t>(rgb);
        quads[4 * i + 1] = static_cast<std::uint8_t>(rgb >> 8);
        quads[4 * i + 2] = static_cast<std::uint8_t>(rgb >> 16);
    }
    CIndexedRows indexedRows(layout, rows, table, indexed.nDepth, indexed.nStride);
    WriteGif(file, indexed, quads.data(), indexedRows);
    return 1;
}

}  // namespace vd
