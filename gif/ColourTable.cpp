#include "gif/ColourTable.h"

namespace vd {

bool CColourTable::Add(std::uint32_t rgb) {
    std::uint32_t nSlot = Slot(rgb);
    while (m_keys[nSlot] != kEmpty) {
        if (m_keys[nSlot] == rgb) return true;
        nSlot = (nSlot + 1) % kSlots;
    }
    if (m_nCount == kMaxGifColours) return false;
    m_keys[nSlot] = rgb;
    m_indices[nSlot] = static_cast<std::uint8_t>(m_nCount);
    m_colours[m_nCount++] = rgb;
    return true;
}

int CColourTable::Find(std::uint32_t rgb) const {
    std::uint32_t nSlot = Slot(rgb);
    while (m_keys[nSlot] != kEmpty) {
        if (m_keys[nSlot] == rgb) return m_indices[nSlot];
        nSlot = (nSlot + 1) % kSlots;
    }
    return -1;
}

std::uint32_t CountColours(const CDibLayout& layout, CRowSource& rows, CColourTable& table) {
    const std::uint32_t nStep = layout.nDepth / 8;
    for (std::uint32_t nRow = 0; nRow < layout.nHeight; ++nRow) {
        const std::uint32_t nStored = layout.bTopDown ? nRow : layout.nHeight - 1u - nRow;
        const std::uint8_t* p = rows.Row(nStored);
        const std::uint8_t* const pEnd = p + std::size_t{layout.nWidth} * nStep;
        // Neighbouring pixels mostly share their colour: only a change is
        // looked up.
        std::uint32_t nLast = 0xFFFFFFFFu;
        for (; p != pEnd; p += nStep) {
            const std::uint32_t rgb = PixelColour(p);
            if (rgb == nLast) continue;
            nLast = rgb;
            if (!table.Add(rgb)) return kMaxGifColours + 1;
        }
    }
    return table.GetCount();
}

}  // namespace vd
