// A small archive: objects store themselves into a growing byte buffer, or
// load themselves from a buffer of bytes, in little-endian byte order with
// the framework's string and count forms.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "common/Exceptions.h"

namespace vd {

// A malformed or truncated archive, or an operation against its direction.
class CArchiveException : public CException {
  public:
    explicit CArchiveException(const std::string& strCause) : CException("archive: " + strCause) {}
};

class CArchive {
  public:
    enum EMode { store, load };

    // An archive for storing, empty.
    CArchive();
    // An archive for loading from data; the bytes must outlive the archive.
    explicit CArchive(std::span<const std::uint8_t> data);

    bool IsStoring() const { return m_mode == store; }
    bool IsLoading() const { return m_mode == load; }

    // The bytes stored so far.
    const std::vector<std::uint8_t>& GetBuffer() const { return m_buffer; }
    // Bytes of a loading archive not read yet.
    std::size_t GetRemaining() const { return m_data.size() - m_nPos; }

    // Raw bytes. Read raises CArchiveException when fewer than nCount bytes
    // are left (nothing is consumed then).
    void Write(const void* pBuffer, std::size_t nCount);
    void Read(void* pBuffer, std::size_t nCount);

    CArchive& operator<<(std::uint8_t value);
    CArchive& operator<<(std::uint16_t value);
    CArchive& operator<<(std::uint32_t value);
    CArchive& operator<<(std::int32_t value);
    CArchive& operator>>(std::uint8_t& value);
    CArchive& operator>>(std::uint16_t& value);
    CArchive& operator>>(std::uint32_t& value);
    CArchive& operator>>(std::int32_t& value);

    // Strings: a length prefix (1 byte up to 254; 0xFF and 16 bits up to
    // 65533; 0xFF, 0xFFFF and 32 bits from 65534), then the characters
    // without terminator.
    void WriteString(const std::string& str);
    std::string ReadString();

    // Element counts: 16 bits below 0xFFFF, otherwise 0xFFFF and 32 bits.
    void WriteCount(std::size_t nCount);
    std::size_t ReadCount();

  private:
    void RequireStoring() const;
    void RequireLoading() const;

    EMode m_mode;
    std::vector<std::uint8_t> m_buffer;    // storing
    std::span<const std::uint8_t> m_data;  // loading
    std::size_t m_nPos = 0;                // loading: bytes consumed
};

}  // namespace vd
