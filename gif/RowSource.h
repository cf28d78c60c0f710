// Where the encoder's pixel rows come from: the stored rows of a bitmap, all
// of one stride, reached by their index in storage order.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vd {

class CRowSource {
  public:
    virtual ~CRowSource() = default;
    // The bytes of stored row nRow (nRow below the row count the source was
    // made for): at least the row's pixel bytes, valid until the next call.
    virtual const std::uint8_t* Row(std::uint32_t nRow) = 0;
    // True when every row's bytes stay where Row answered them for as long
    // as the source lives (not only until the next call).
    virtual bool RowsStay() const { return false; }
};

// Rows that lie in memory, one after the other.
class CMemoryRows final : public CRowSource {
  public:
    CMemoryRows() = default;
    CMemoryRows(const std::uint8_t* pRows, std::uint32_t nStride)
        : m_pRows(pRows), m_nStride(nStride) {}
    const std::uint8_t* Row(std::uint32_t nRow) override {
        return m_pRows + std::size_t{nRow} * m_nStride;
    }
    bool RowsStay() const override { return true; }

  private:
    const std::uint8_t* m_pRows = nullptr;
    std::uint32_t m_nStride = 0;
};

}  // namespace vd
