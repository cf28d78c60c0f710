#include "gif/FileRows.h"

#include <cstring>
#include <new>

#include "common/Exceptions.h"

namespace vd {

CFileRows::CFileRows(CFile& file, std::uint64_t nOffset, std::uint32_t nStride, std::uint32_t nRows,
                     std::uint64_t nFileLength)
    : m_file(file),
      m_nOffset(nOffset),
      m_nFileLength(nFileLength),
      m_nStride(nStride),
      m_nRows(nRows) {
    m_nWindowRows = nStride == 0 ? 1 : kWindowBytes / nStride;
    if (m_nWindowRows == 0) m_nWindowRows = 1;
    if (m_nWindowRows > nRows) m_nWindowRows = nRows;
    m_pWindow.reset(new (std::nothrow) std::uint8_t[std::size_t{m_nWindowRows} * nStride + 1]);
    if (!m_pWindow) throw CMemoryException();
}

const std::uint8_t* CFileRows::Row(std::uint32_t nRow) {
    if (m_nCount == 0 || nRow < m_nFirst || nRow - m_nFirst >= m_nCount) {
        // Rows asked for downwards (bottom-up storage read top row first)
        // fill the window up to the row, otherwise from the row on.
        const bool bDownwards = m_nCount == 0 ? nRow + 1 == m_nRows && nRow != 0 : nRow < m_nFirst;
        if (bDownwards) {
            const std::uint32_t nFirst = nRow + 1 > m_nWindowRows ? nRow + 1 - m_nWindowRows : 0;
            Load(nFirst, nRow + 1 - nFirst);
        } else {
            const std::uint32_t nLeft = m_nRows - nRow;
            Load(nRow, nLeft < m_nWindowRows ? nLeft : m_nWindowRows);
        }
    }
    return m_pWindow.get() + std::size_t{nRow - m_nFirst} * m_nStride;
}

void CFileRows::Load(std::uint32_t nFirst, std::uint32_t nCount) {
    const std::uint64_t nAt = m_nOffset + std::uint64_t{nFirst} * m_nStride;
    if (nAt < m_nFileLength) m_file.Seek(static_cast<std::int64_t>(nAt - m_file.GetPosition()));
    const std::size_t nBytes = std::size_t{nCount} * m_nStride;
    const std::uint64_t nInFile = nAt >= m_nFileLength ? 0 : m_nFileLength - nAt;
    const std::size_t nExpected = nInFile < nBytes ? static_cast<std::size_t>(nInFile) : nBytes;
    const std::size_t nRead = nExpected > 0 ? m_file.Read(m_pWindow.get(), nExpected) : 0;
    if (nRead != nExpected) {
        m_nCount = 0;
        throw CFileException(m_file.GetFilePath(), "the file ended before its pixel rows");
    }
    std::memset(m_pWindow.get() + nRead, 0, nBytes - nRead);
    m_nFirst = nFirst;
    m_nCount = nCount;
}

}  // namespace vd
