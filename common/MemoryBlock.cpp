#include "common/MemoryBlock.h"

#include <cstdlib>
#include <utility>

namespace vd {

CMemoryBlock::CMemoryBlock(CMemoryBlock&& other) noexcept
    : m_pData(std::exchange(other.m_pData, nullptr)),
      m_nSize(std::exchange(other.m_nSize, 0)),
      m_nLocks(std::exchange(other.m_nLocks, 0)) {}

CMemoryBlock& CMemoryBlock::operator=(CMemoryBlock&& other) noexcept {
    if (this != &other) {
        Free();
        m_pData = std::exchange(other.m_pData, nullptr);
        m_nSize = std::exchange(other.m_nSize, 0);
        m_nLocks = std::exchange(other.m_nLocks, 0);
    }
    return *this;
}

CMemoryBlock::~CMemoryBlock() { Free(); }

CMemoryBlock CMemoryBlock::Allocate(std::size_t nSize) noexcept {
    CMemoryBlock block;
    // calloc gives zero-filled memory; one byte for an empty block keeps the
    // handle non-null, as a zero-sized global block is.
    block.m_pData = static_cast<std::uint8_t*>(std::calloc(nSize == 0 ? 1 : nSize, 1));
    if (block.m_pData != nullptr) block.m_nSize = nSize;
    return block;
}

CMemoryBlock CMemoryBlock::AllocateUncleared(std::size_t nSize) noexcept {
    CMemoryBlock block;
    block.m_pData = static_cast<std::uint8_t*>(std::malloc(nSize == 0 ? 1 : nSize));
    if (block.m_pData != nullptr) block.m_nSize = nSize;
    return block;
}

std::uint8_t* CMemoryBlock::Lock() {
    if (m_pData != nullptr) ++m_nLocks;
    return m_pData;
}

void CMemoryBlock::Unlock() {
    if (m_nLocks > 0) --m_nLocks;
}

void CMemoryBlock::Free() noexcept {
    std::free(m_pData);
    m_pData = nullptr;
    m_nSize = 0;
    m_nLocks = 0;
}

}  // namespace vd
