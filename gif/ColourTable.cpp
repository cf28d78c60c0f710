#include "gif/ColourTable.h"

namespace vd {

bool CColourTable::Add(std::uint32_t rgb) { return Index(rgb) >= 0; }

int CColourTable::IndexFurther(std::uint32_t rgb, std::uint32_t nSlot) {
    while (m_keys[nSlot] != kEmpty) {
        if (m_keys[nSlot] == rgb) return m_indices[nSlot];
        nSlot = (nSlot + 1) % kSlots;
    }
    if (m_nCount == kMaxGifColours) return -1;
    m_keys[nSlot] = rgb;
    m_indices[nSlot] = static_cast<std::uint8_t>(m_nCount);
    m_colours[m_nCount] = rgb;
    return static_cast<int>(m_nCount++);
}

int CColourTable::FindFurther(std::uint32_t rgb, std::uint32_t nSlot) const {
    while (m_keys[nSlot] != kEmpty) {
        if (m_keys[nSlot] == rgb) return m_indices[nSlot];
        nSlot = (nSlot + 1) % kSlots;
    }
    return -1;
}

namespace {

// Adds the colours of one row of nWidth pixels of nStep bytes; false when
// one does not fit.
template <std::uint32_t nStep>
bool AddRowColours(const std::uint8_t* p, std::uint32_t nWidth, CColourTable& table) {
    return WalkRow<nStep>(
        p, nWidth, [&table](std::uint32_t rgb, std::uint32_t) { return table.Add(rgb); },
        [](std::uint32_t) {});
}

}  // namespace

std::uint32_t CountColours(const CDibLayout& layout, CRowSource& rows, CColourTable& table) {
    const std::uint32_t nStep = layout.nDepth / 8;
    const std::size_t nRowBytes = std::size_t{layout.nWidth} * nStep;
    // A row the same as the one before it adds no colour; rows can be
    // compared when they stay in place.
    const bool bCompareRows = rows.RowsStay();
    const std::uint8_t* pPrevious = nullptr;
    for (std::uint32_t nRow = 0; nRow < layout.nHeight; ++nRow) {
        const std::uint32_t nStored = layout.bTopDown ? nRow : layout.nHeight - 1u - nRow;
        const std::uint8_t* p = rows.Row(nStored);
        if (pPrevious != nullptr && std::memcmp(p, pPrevious, nRowBytes) == 0) continue;
        if (bCompareRows) pPrevious = p;
        const bool bFits = nStep == 3 ? AddRowColours<3>(p, layout.nWidth, table)
                                      : AddRowColours<4>(p, layout.nWidth, table);
        if (!bFits) return kMaxGifColours + 1;
    }
    return table.GetCount();
}

}  // namespace vd
