// A large working buffer of uninitialised bytes, released with its owner.
// Where the system offers it, a buffer of several megabytes is backed by
// huge pages, so that filling it does not take one page fault every 4 KiB
// (which on some virtual machines costs more than the work done in it).
#pragma once

#include <cstddef>
#include <cstdint>

namespace vd {

class CScratchBuffer {
  public:
    CScratchBuffer() = default;
    CScratchBuffer(const CScratchBuffer&) = delete;
    CScratchBuffer& operator=(const CScratchBuffer&) = delete;
    ~CScratchBuffer() { Release(); }

    // Allocates nSize bytes (releasing what was held); false when the memory
    // cannot be had.
    bool Allocate(std::size_t nSize) noexcept;
    void Release() noexcept;

    std::uint8_t* Data() const { return m_pData; }
    std::size_t Size() const { return m_nSize; }

  private:
    std::uint8_t* m_pData = nullptr;
    std::size_t m_nSize = 0;
    void* m_pMapping = nullptr;  // when mapped: the mapping and its length
    std::size_t m_nMapping = 0;
};

}  // namespace vd
