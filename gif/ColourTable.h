// The distinct colours of a true-colour picture, in the order in which they
// first appear, up to the 256 a GIF can hold.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>

#include "gif/DibLayout.h"
#include "gif/RowSource.h"

namespace vd {

// The most colours a GIF's colour table holds.
constexpr std::uint32_t kMaxGifColours = 256;

// Colours are 0x00RRGGBB. Lookups go through a small hash table, so the
// table's size does not depend on the picture's.
class CColourTable {
  public:
    CColourTable() { m_keys.fill(kEmpty); }

    std::uint32_t GetCount() const { return m_nCount; }
    std::uint32_t GetColour(std::uint32_t nIndex) const { return m_colours[nIndex]; }

    // Adds rgb unless it is there already; false when it is new and the
    // table is full.
    bool Add(std::uint32_t rgb);
    // The index of rgb, or -1 when it is not in the table.
    int Find(std::uint32_t rgb) const;
    // The index of rgb, added when it is new; -1 when it is new and the
    // table is full.
    int Index(std::uint32_t rgb);

  private:
    static constexpr std::uint32_t kSlots = 1024;         // four times the colours: short probes
    static constexpr std::uint32_t kEmpty = 0xFFFFFFFFu;  // no colour has a top byte
    static std::uint32_t Slot(std::uint32_t rgb) { return (rgb * 0x9E3779B1u) >> 22; }

    std::array<std::uint32_t, kSlots> m_keys;
    std::array<std::uint8_t, kSlots> m_indices{};
    std::array<std::uint32_t, kMaxGifColours> m_colours{};
    std::uint32_t m_nCount = 0;
};

// The colour of the pixel at p of a row of 24 or 32 bits per pixel (blue,
// green, red and, at 32 bits, an unused byte).
inline std::uint32_t PixelColour(const std::uint8_t* p) {
    return std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16);
}

// How many of the nLeft pixels from p on (nStep bytes each, 3 or 4) repeat
// the pixel before p, byte for byte, counted four at a time: the pixels of a
// run need not be looked up one by one. p must not be a row's first pixel.
inline std::uint32_t RepeatedPixels(const std::uint8_t* p, std::uint32_t nLeft,
                                    std::uint32_t nStep) {
    // Sixteen at a time while they last, then four.
    std::uint32_t n = 0;
    if (nStep == 3) {
        while (nLeft - n >= 16 && std::memcmp(p + 3 * n, p + 3 * n - 3, 48) == 0) n += 16;
        while (nLeft - n >= 4 && std::memcmp(p + 3 * n, p + 3 * n - 3, 12) == 0) n += 4;
    } else {
        while (nLeft - n >= 16 && std::memcmp(p + 4 * n, p + 4 * n - 4, 64) == 0) n += 16;
        while (nLeft - n >= 4 && std::memcmp(p + 4 * n, p + 4 * n - 4, 16) == 0) n += 4;
    }
    return n;
}

// Reads the rows of a true-colour bitmap (layout.nDepth 24 or 32) top row
// first, each from left to right, and adds their colours to table. Stops at
// the first colour that does not fit: answers the number of distinct
// colours, or kMaxGifColours + 1 when there are more than kMaxGifColours.
// Only the row being read is held.
std::uint32_t CountColours(const CDibLayout& layout, CRowSource& rows, CColourTable& table);

}  // namespace vd
