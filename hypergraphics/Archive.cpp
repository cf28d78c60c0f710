#include "hypergraphics/Archive.h"

#include <cstring>
#include <limits>

namespace vd {

CArchive::CArchive() : m_mode(store) {}

CArchive::CArchive(std::span<const std::uint8_t> data) : m_mode(load), m_data(data) {}

void CArchive::RequireStoring() const {
    if (m_mode != store) throw CArchiveException("storing into an archive opened for loading");
}

void CArchive::RequireLoading() const {
    if (m_mode != load) throw CArchiveException("loading from an archive opened for storing");
}

void CArchive::Write(const void* pBuffer, std::size_t nCount) {
    RequireStoring();
    if (nCount == 0) return;
    const auto* pBytes = static_cast<const std::uint8_t*>(pBuffer);
    m_buffer.insert(m_buffer.end(), pBytes, pBytes + nCount);
}

void CArchive::Read(void* pBuffer, std::size_t nCount) {
    RequireLoading();
    if (nCount > GetRemaining()) throw CArchiveException("unexpected end of the archive");
    if (nCount == 0) return;
    std::memcpy(pBuffer, m_data.data() + m_nPos, nCount);
    m_nPos += nCount;
}

CArchive& CArchive::operator<<(std::uint8_t value) {
    Write(&value, 1);
    return *this;
}

CArchive& CArchive::operator<<(std::uint16_t value) {
    const std::uint8_t bytes[2] = {static_cast<std::uint8_t>(value),
                                   static_cast<std::uint8_t>(value >> 8)};
    Write(bytes, sizeof bytes);
    return *this;
}

CArchive& CArchive::operator<<(std::uint32_t value) {
    const std::uint8_t bytes[4] = {
        static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
        static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
    Write(bytes, sizeof bytes);
    return *this;
}

CArchive& CArchive::operator<<(std::int32_t value) {
    return *this << static_cast<std::uint32_t>(value);
}

CArchive& CArchive::operator>>(std::uint8_t& value) {
    Read(&value, 1);
    return *this;
}

CArchive& CArchive::operator>>(std::uint16_t& value) {
    std::uint8_t bytes[2];
    Read(bytes, sizeof bytes);
    value = static_cast<std::uint16_t>(bytes[0] | (bytes[1] << 8));
    return *this;
}

CArchive& CArchive::operator>>(std::uint32_t& value) {
    std::uint8_t bytes[4];
    Read(bytes, sizeof bytes);
    value = static_cast<std::uint32_t>(bytes[0]) | (static_cast<std::uint32_t>(bytes[1]) << 8) |
            (static_cast<std::uint32_t>(bytes[2]) << 16) |
            (static_cast<std::uint32_t>(bytes[3]) << 24);
    return *this;
}

CArchive& CArchive::operator>>(std::int32_t& value) {
    std::uint32_t raw = 0;
    *this >> raw;
    value = static_cast<std::int32_t>(raw);
    return *this;
}

void CArchive::WriteString(const std::string& str) {
    const std::size_t nLength = str.size();
    if (nLength > std::numeric_limits<std::uint32_t>::max()) {
        throw CArchiveException("string too long to store");
    }
    if (nLength < 0xFF) {
        *this << static_cast<std::uint8_t>(nLength);
    } else if (nLength < 0xFFFE) {
        *this << static_cast<std::uint8_t>(0xFF) << static_cast<std::uint16_t>(nLength);
    } else {
        *this << static_cast<std::uint8_t>(0xFF) << static_cast<std::uint16_t>(0xFFFF)
              << static_cast<std::uint32_t>(nLength);
    }
    Write(str.data(), nLength);
}

std::string CArchive::ReadString() {
    std::uint8_t nShort = 0;
    *this >> nShort;
    std::size_t nLength = nShort;
    if (nShort == 0xFF) {
        std::uint16_t nMedium = 0;
        *this >> nMedium;
        nLength = nMedium;
        if (nMedium == 0xFFFE) throw CArchiveException("wide-character strings are not supported");
        if (nMedium == 0xFFFF) {
            std::uint32_t nLong = 0;
            *this >> nLong;
            nLength = nLong;
        }
    }
    // The length is untrusted: check it against what is there before allocating.
    if (nLength > GetRemaining())
        throw CArchiveException("string runs past the end of the archive");
    if (nLength == 0) return {};
    std::string str(reinterpret_cast<const char*>(m_data.data() + m_nPos), nLength);
    m_nPos += nLength;
    return str;
}

void CArchive::WriteCount(std::size_t nCount) {
    if (nCount > std::numeric_limits<std::uint32_t>::max()) {
        throw CArchiveException("count too large to store");
    }
    if (nCount < 0xFFFF) {
        *this << static_cast<std::uint16_t>(nCount);
    } else {
        *this << static_cast<std::uint16_t>(0xFFFF) << static_cast<std::uint32_t>(nCount);
    }
}

std::size_t CArchive::ReadCount() {
    std::uint16_t nShort = 0;
    *this >> nShort;
    if (nShort != 0xFFFF) return nShort;
    std::uint32_t nLong = 0;
    *this >> nLong;
    return nLong;
}

}  // namespace vd
