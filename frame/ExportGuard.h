// Runs the work of an exported operation so that nothing but 1 or 0 crosses
// the C boundary: every exception becomes 0.
#pragma once

#include <cstdint>
#include <string>

namespace vd {

template <typename Work>
std::int32_t CallGuarded(Work&& work) noexcept {
    try {
        return work() == 1 ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

}  // namespace vd
