#include "common/ScratchBuffer.h"

#include <cstdlib>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace vd {

namespace {

#if defined(__linux__)
// Buffers from this size on are mapped with huge pages of this alignment.
constexpr std::size_t kHugePage = std::size_t{2} << 20;
constexpr std::size_t kMapFrom = 2 * kHugePage;
#endif

}  // namespace

bool CScratchBuffer::Allocate(std::size_t nSize) noexcept {
    Release();
#if defined(__linux__)
    if (nSize >= kMapFrom && nSize <= SIZE_MAX - kHugePage) {
        const std::size_t nMapping = nSize + kHugePage;  // room to align the start
        void* pMapping =
            ::mmap(nullptr, nMapping, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (pMapping != MAP_FAILED) {
            const auto nStart = reinterpret_cast<std::uintptr_t>(pMapping);
            const std::uintptr_t nAligned = (nStart + kHugePage - 1) & ~(kHugePage - 1);
            m_pData = reinterpret_cast<std::uint8_t*>(nAligned);
            // Only advice: without huge pages the buffer works the same.
            ::madvise(m_pData, nSize, MADV_HUGEPAGE);
            m_pMapping = pMapping;
            m_nMapping = nMapping;
            m_nSize = nSize;
            return true;
        }
    }
#endif
    m_pData = static_cast<std::uint8_t*>(std::malloc(nSize == 0 ? 1 : nSize));
    if (m_pData == nullptr) return false;
    m_nSize = nSize;
    return true;
}

void CScratchBuffer::Release() noexcept {
#if defined(__linux__)
    if (m_pMapping != nullptr) {
        ::munmap(m_pMapping, m_nMapping);
        m_pMapping = nullptr;
        m_pData = nullptr;
    }
#endif
    std::free(m_pData);
    m_pData = nullptr;
    m_nSize = 0;
}

}  // namespace vd
