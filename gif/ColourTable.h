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
    int Find(std::uint32_t rgb) const {
        const std::uint32_t nSlot = Slot(rgb);
        return m_keys[nSlot] == rgb ? m_indices[nSlot] : FindFurther(rgb, nSlot);
    }
    // The index of rgb, added when it is new; -1 when it is new and the
    // table is full.
    int Index(std::uint32_t rgb) {
        const std::uint32_t nSlot = Slot(rgb);
        return m_keys[nSlot] == rgb ? m_indices[nSlot] : IndexFurther(rgb, nSlot);
    }

  private:
    static constexpr std::uint32_t kSlots = 1024;         // four times the colours: short probes
    static constexpr std::uint32_t kEmpty = 0xFFFFFFFFu;  // no colour has a top byte
    static std::uint32_t Slot(std::uint32_t rgb) { return (rgb * 0x9E3779B1u) >> 22; }
    // Find and Index past the colour's own slot (inline above: most colours
    // sit in their own slot, and lookups run once per pixel).
    int FindFurther(std::uint32_t rgb, std::uint32_t nSlot) const;
    int IndexFurther(std::uint32_t rgb, std::uint32_t nSlot);

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

// Walks one row of nWidth pixels of nStep bytes each (3 or 4) from p, left
// to right. Each pixel goes to onPixel(colour, x), which answers false to
// stop the walk; but eight pixels that each repeat the pixel before them,
// byte for byte (and so are all that pixel), go to onRepeatEight(x) at once.
// Runs are common in pictures of few colours, so the branches follow the
// picture's areas rather than its pixels. Answers false when onPixel
// stopped the walk.
template <std::uint32_t nStep, typename TOnPixel, typename TOnRepeat>
inline bool WalkRow(const std::uint8_t* p, std::uint32_t nWidth, TOnPixel onPixel,
                    TOnRepeat onRepeatEight) {
    std::uint32_t x = 0;
    const auto one = [&]() {
        if (!onPixel(PixelColour(p), x)) return false;
        ++x;
        p += nStep;
        return true;
    };
    if (nWidth == 0 || !one()) return nWidth == 0;
    while (nWidth - x >= 8) {
        if (std::memcmp(p, p - nStep, 8 * nStep) == 0) {
            onRepeatEight(x);
            x += 8;
            p += 8 * nStep;
            continue;
        }
        for (int n = 0; n < 8; ++n) {
            if (!one()) return false;
        }
    }
    while (x < nWidth) {
        if (!one()) return false;
    }
    return true;
}

// Reads the rows of a true-colour bitmap (layout.nDepth 24 or 32) top row
// first, each from left to right, and adds their colours to table. Stops at
// the first colour that does not fit: answers the number of distinct
// colours, or kMaxGifColours + 1 when there are more than kMaxGifColours.
// Only the row being read is held.
std::uint32_t CountColours(const CDibLayout& layout, CRowSource& rows, CColourTable& table);

}  // namespace vd
