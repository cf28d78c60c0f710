#include "common/TemporaryRegistry.h"

#include <array>
#include <atomic>
#include <cstring>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace vd {
namespace {

// A slot is free, being filled or emptied by its owner, or holds a name the
// handler may remove. Pending outputs of one call need three slots (the GIF,
// the map and the earlier GIF kept for putting back).
enum ESlotState : int { slotFree, slotBusy, slotHeld };

struct SSlot {
    std::atomic<int> nState{slotFree};
    std::array<char, 4096> szPath{};
};

constexpr std::size_t kSlots = 16;

// The registry is process-wide because a signal handler has no other way to
// reach it; lock-free, so that the handler never waits for a lock the
// interrupted code holds.
std::array<SSlot, kSlots> g_temporarySlots;

static_assert(std::atomic<int>::is_always_lock_free);

}  // namespace

void RegisterTemporary(const std::string& strPath) noexcept {
    if (strPath.size() >= SSlot{}.szPath.size()) return;
    for (SSlot& slot : g_temporarySlots) {
        int nExpected = slotFree;
        if (!slot.nState.compare_exchange_strong(nExpected, slotBusy)) continue;
        std::memcpy(slot.szPath.data(), strPath.c_str(), strPath.size() + 1);
        slot.nState.store(slotHeld);
        return;
    }
}

void UnregisterTemporary(const std::string& strPath) noexcept {
    for (SSlot& slot : g_temporarySlots) {
        if (slot.nState.load() != slotHeld || strPath != slot.szPath.data()) continue;
        int nExpected = slotHeld;
        if (slot.nState.compare_exchange_strong(nExpected, slotBusy)) {
            slot.nState.store(slotFree);
            return;
        }
    }
}

void RemoveRegisteredTemporaries() noexcept {
    for (SSlot& slot : g_temporarySlots) {
        if (slot.nState.load() != slotHeld) continue;
#ifndef _WIN32
        (void)::unlink(slot.szPath.data());
#endif
    }
}

}  // namespace vd
