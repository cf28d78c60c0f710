// Bounds on the text inputs (outlines, category lists, picture lists), so
// that an endless stream such as /dev/zero, or a file of one endless line,
// ends with a message instead of using memory or disk without bound.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vd {

inline constexpr std::uint64_t kMaxTextInputBytes = std::uint64_t{256} << 20;
inline constexpr std::size_t kMaxTextLineBytes = std::size_t{1} << 20;

// The limits as the messages name them.
inline constexpr const char* kTextInputLimitText =
    "longer than 256 MiB, the limit for a text input";
inline constexpr const char* kTextLineLimitText = "longer than 1 MiB, the limit for one line";

}  // namespace vd
