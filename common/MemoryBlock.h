// The movable memory block: a zero-filled block of a given size, reached
// through its handle and locked while its bytes are used. The handle owns the
// block; moving the handle moves the ownership, destroying it frees the block.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace vd {

class CMemoryBlock {
  public:
    CMemoryBlock() = default;  // the null handle
    CMemoryBlock(CMemoryBlock&& other) noexcept;
    CMemoryBlock& operator=(CMemoryBlock&& other) noexcept;
    CMemoryBlock(const CMemoryBlock&) = delete;
    CMemoryBlock& operator=(const CMemoryBlock&) = delete;
    ~CMemoryBlock();

    // A new zero-filled block of nSize bytes, or the null handle when the
    // memory cannot be had.
    static CMemoryBlock Allocate(std::size_t nSize) noexcept;
    // The same without the zero fill, for a caller that writes every byte
    // itself: reused memory is not cleared first for nothing.
    static CMemoryBlock AllocateUncleared(std::size_t nSize) noexcept;

    explicit operator bool() const { return m_pData != nullptr; }
    std::size_t GetSize() const { return m_nSize; }

    // Lock answers the block's bytes and counts the lock; Unlock undoes it.
    std::uint8_t* Lock();
    void Unlock();
    int GetLockCount() const { return m_nLocks; }

    // Frees the block now; the handle becomes null.
    void Free() noexcept;

  private:
    std::uint8_t* m_pData = nullptr;
    std::size_t m_nSize = 0;
    int m_nLocks = 0;
};

// Keeps a block locked for the lifetime of the guard.
class CMemoryLock {
  public:
    explicit CMemoryLock(CMemoryBlock& block) : m_block(block), m_pData(block.Lock()) {}
    ~CMemoryLock() { m_block.Unlock(); }
    CMemoryLock(const CMemoryLock&) = delete;
    CMemoryLock& operator=(const CMemoryLock&) = delete;

    std::uint8_t* Data() const { return m_pData; }
    std::size_t Size() const { return m_block.GetSize(); }

  private:
    CMemoryBlock& m_block;
    std::uint8_t* m_pData;
};

}  // namespace vd
