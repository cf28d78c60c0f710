#include "gif/BufferedWriter.h"

#include <cstring>
#include <new>

#include "common/Exceptions.h"

namespace vd {

CBufferedWriter::CBufferedWriter(CFile& file, std::size_t nCapacity)
    : m_file(file), m_nCapacity(nCapacity == 0 ? 1 : nCapacity) {
    m_pBuffer.reset(new (std::nothrow) std::uint8_t[m_nCapacity]);
    if (!m_pBuffer) throw CMemoryException();
}

void CBufferedWriter::Write(const void* pData, std::size_t nCount) {
    const auto* p = static_cast<const std::uint8_t*>(pData);
    while (nCount > 0) {
        if (m_nUsed == m_nCapacity) Flush();
        // A piece at least as large as the buffer goes straight to the file.
        if (m_nUsed == 0 && nCount >= m_nCapacity) {
            m_file.Write(p, nCount);
            return;
        }
        const std::size_t n = nCount < m_nCapacity - m_nUsed ? nCount : m_nCapacity - m_nUsed;
        std::memcpy(m_pBuffer.get() + m_nUsed, p, n);
        m_nUsed += n;
        p += n;
        nCount -= n;
    }
}

void CBufferedWriter::Flush() {
    if (m_nUsed == 0) return;
    const std::size_t n = m_nUsed;
    m_nUsed = 0;  // dropped even when the write raises: never written twice
    m_file.Write(m_pBuffer.get(), n);
}

}  // namespace vd
