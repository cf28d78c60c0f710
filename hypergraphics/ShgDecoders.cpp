#include "hypergraphics/ShgDecoders.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace vd {

std::size_t DecodeRunLength(std::span<const std::uint8_t> source,
                            std::span<std::uint8_t> destination) {
    std::size_t nIn = 0;
    std::size_t nOut = 0;
    while (nIn < source.size()) {
        const std::uint8_t nControl = source[nIn++];
        if (nControl > 0x80) {
            // Literal run: as many of its bytes as the source holds, as many
            // of those as the destination takes.
            const std::size_t nRun = nControl - 0x80u;
            const std::size_t nAvailable = std::min(nRun, source.size() - nIn);
            const std::size_t nCopy = std::min(nAvailable, destination.size() - nOut);
            if (nCopy > 0) std::memcpy(destination.data() + nOut, source.data() + nIn, nCopy);
            nIn += nAvailable;
            nOut += nCopy;
        } else {
            // Repeat run; its value byte must be there.
            if (nIn >= source.size()) break;
            const std::uint8_t nValue = source[nIn++];
            const std::size_t nFill = std::min<std::size_t>(nControl, destination.size() - nOut);
            if (nFill > 0) std::memset(destination.data() + nOut, nValue, nFill);
            nOut += nFill;
        }
    }
    return nOut;
}

namespace {

constexpr std::size_t kWindowSize = 4096;
constexpr std::size_t kWindowMask = kWindowSize - 1;

// Runs the LZ77 decoder and hands every produced byte to sink, which answers
// false to stop.
template <typename Sink>
void RunLz77(std::span<const std::uint8_t> source, Sink&& sink) {
    std::array<std::uint8_t, kWindowSize> window{};
    std::size_t nPos = 0;  // output position; the window is indexed modulo its size
    std::size_t nIn = 0;
    auto put = [&](std::uint8_t value) {
        window[nPos & kWindowMask] = value;
        ++nPos;
        return sink(value);
    };
    while (nIn < source.size()) {
        const std::uint8_t nFlags = source[nIn++];
        for (int nBit = 0; nBit < 8; ++nBit) {
            if (nIn >= source.size()) return;
            if ((nFlags & (1u << nBit)) == 0) {
                if (!put(source[nIn++])) return;
                continue;
            }
            if (source.size() - nIn < 2) return;  // token cut short
            const unsigned nToken = source[nIn] | (source[nIn + 1] << 8);
            nIn += 2;
            const std::size_t nDistance = (nToken & 0x0FFFu) + 1;
            const std::size_t nLength = (nToken >> 12) + 3;
            // Positions before the start of the output read the zero-filled
            // window, which the modulo arithmetic gives directly.
            std::size_t nFrom = nPos + kWindowSize - nDistance;
            for (std::size_t n = 0; n < nLength; ++n) {
                if (!put(window[nFrom++ & kWindowMask])) return;
            }
        }
    }
}

}  // namespace

std::vector<std::uint8_t> DecodeLz77(std::span<const std::uint8_t> source, std::size_t nLimit) {
    std::vector<std::uint8_t> output;
    if (nLimit == 0) return output;
    RunLz77(source, [&](std::uint8_t value) {
        output.push_back(value);
        return output.size() < nLimit;
    });
    return output;
}

std::size_t DecodeLz77(std::span<const std::uint8_t> source, std::span<std::uint8_t> destination) {
    std::size_t nOut = 0;
    if (destination.empty()) return 0;
    RunLz77(source, [&](std::uint8_t value) {
        destination[nOut++] = value;
        return nOut < destination.size();
    });
    return nOut;
}

std::size_t ReadRunLengthData(CFile& file, std::span<std::uint8_t> destination,
                              std::int32_t nDataSize) {
    if (nDataSize <= 0) return 0;
    // Never allocate more than the file can still deliver.
    const std::uint64_t nLength = file.GetLength();
    const std::uint64_t nPosition = file.GetPosition();
    const std::uint64_t nLeft = nLength > nPosition ? nLength - nPosition : 0;
    const std::size_t nWanted = static_cast<std::size_t>(
        std::min<std::uint64_t>(static_cast<std::uint64_t>(nDataSize), nLeft));
    std::vector<std::uint8_t> data(nWanted);
    const std::size_t nRead = nWanted > 0 ? file.Read(data.data(), nWanted) : 0;
    return DecodeRunLength(std::span<const std::uint8_t>(data.data(), nRead), destination);
}

}  // namespace vd
