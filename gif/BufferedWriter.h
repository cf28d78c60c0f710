// Collects small writes to a file object and hands them on in large pieces,
// so that the GIF writer does not pay a system call per sub-block.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "common/File.h"

namespace vd {

class CBufferedWriter {
  public:
    static constexpr std::size_t kDefaultCapacity = 64 * 1024;

    // Raises CMemoryException when the buffer cannot be had.
    explicit CBufferedWriter(CFile& file, std::size_t nCapacity = kDefaultCapacity);
    CBufferedWriter(const CBufferedWriter&) = delete;
    CBufferedWriter& operator=(const CBufferedWriter&) = delete;
    // Does not flush: bytes still pending when the writer is dropped without
    // Flush (an error is on its way up) are discarded, never written late.
    ~CBufferedWriter() = default;

    void Write(const void* pData, std::size_t nCount);
    void PutByte(std::uint8_t by) {
        if (m_nUsed == m_nCapacity) Flush();
        m_pBuffer[m_nUsed++] = by;
    }
    // Hands every pending byte to the file; a failed write raises
    // CFileException from the file object, and the pending bytes are dropped.
    void Flush();

    std::size_t GetPending() const { return m_nUsed; }
    CFile& GetFile() const { return m_file; }

  private:
    CFile& m_file;
    std::unique_ptr<std::uint8_t[]> m_pBuffer;
    std::size_t m_nCapacity;
    std::size_t m_nUsed = 0;
};

}  // namespace vd
