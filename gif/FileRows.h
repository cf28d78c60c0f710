// Pixel rows read from a bitmap file as they are needed: a window of whole
// rows is read at a time, in the direction in which the rows are asked for,
// and reused for the next window. However large the picture, the memory
// used is the window's, and no page of the file stays mapped.
#pragma once

#include <cstdint>
#include <memory>

#include "common/File.h"
#include "gif/RowSource.h"

namespace vd {

class CFileRows final : public CRowSource {
  public:
    // Bytes read at a time (at least one row).
    static constexpr std::uint32_t kWindowBytes = 256 * 1024;

    // nRows rows of nStride bytes, the first stored one at byte nOffset of
    // file, which is nFileLength bytes long; bytes past its end read as zero.
    // Raises CMemoryException when the window cannot be had.
    CFileRows(CFile& file, std::uint64_t nOffset, std::uint32_t nStride, std::uint32_t nRows,
              std::uint64_t nFileLength);
    CFileRows(const CFileRows&) = delete;
    CFileRows& operator=(const CFileRows&) = delete;

    // Raises CFileException on a read error, and when the file ends before
    // nFileLength (it was cut short while being read).
    const std::uint8_t* Row(std::uint32_t nRow) override;

  private:
    void Load(std::uint32_t nFirst, std::uint32_t nCount);

    CFile& m_file;
    std::uint64_t m_nOffset;
    std::uint64_t m_nFileLength;
    std::uint32_t m_nStride;
    std::uint32_t m_nRows;
    std::uint32_t m_nWindowRows;  // rows the window holds at most
    std::unique_ptr<std::uint8_t[]> m_pWindow;
    std::uint32_t m_nFirst = 0;  // the first stored row in the window
    std::uint32_t m_nCount = 0;  // rows in the window; 0 before the first read
};

}  // namespace vd
