#include "hypergraphics/ShgDecoders.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <memory>

namespace vd {

namespace {

inline std::uint64_t Load8(const std::uint8_t* p) {
    std::uint64_t v;
    std::memcpy(&v, p, 8);
    return v;
}
inline void Store8(std::uint8_t* p, std::uint64_t v) { std::memcpy(p, &v, 8); }
inline std::uint32_t Load4(const std::uint8_t* p) {
    std::uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}
inline void Store4(std::uint8_t* p, std::uint32_t v) { std::memcpy(p, &v, 4); }

// The longest run of run-length data, and the bytes its item takes.
constexpr std::size_t kLongestRun = 128;
constexpr std::size_t kLongestRunItem = 1 + 127;

}  // namespace

std::size_t DecodeRunLength(std::span<const std::uint8_t> source,
                            std::span<std::uint8_t> destination) {
    const std::uint8_t* const pIn = source.data();
    std::uint8_t* const pOut = destination.data();
    std::size_t nIn = 0;
    std::size_t nOut = 0;
    // Runs are written in whole sixteen-byte pieces (128 bytes at most)
    // while those stay inside the destination: the bytes past a run's end
    // are overwritten by the runs after it, or by the zeros after the
    // output. Both kinds go one way, since which one comes next follows no
    // pattern; the source holds every byte the pieces read.
    while (source.size() - nIn > kLongestRunItem && destination.size() - nOut >= kLongestRun) {
        const unsigned nControl = pIn[nIn];
        const bool bLiteral = nControl > 0x80;
        const std::size_t nRun = bLiteral ? nControl - 0x80u : nControl;
        std::uint8_t fill[16];
        std::memset(fill, pIn[nIn + 1], sizeof fill);
        const std::uint8_t* pFrom = bLiteral ? pIn + nIn + 1 : fill;
        const std::size_t nStep = bLiteral ? 16 : 0;
        std::uint8_t piece[16];
        std::memcpy(piece, pFrom, 16);
        std::memcpy(pOut + nOut, piece, 16);
        for (std::size_t n = 16; n < nRun; n += 16) {
            pFrom += nStep;
            std::memcpy(piece, pFrom, 16);
            std::memcpy(pOut + nOut + n, piece, 16);
        }
        nIn += bLiteral ? nRun + 1 : 2;
        nOut += nRun;
    }
    // The rest exactly.
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
    if (nOut < destination.size()) std::memset(pOut + nOut, 0, destination.size() - nOut);
    return nOut;
}

namespace {

// The farthest back-reference of an LZ77 token.
constexpr std::size_t kFarthestMatch = 4096;

// Copies nLength bytes (at most 18) from nDistance bytes back, as a byte-by-byte
// copy would (an overlapping copy repeats the bytes it has just produced).
// The output starts with nPosition bytes; positions before its start read as
// zero, which is what the decoder's zero-filled window holds there. Nothing
// is written outside the nLength bytes.
inline void CopyMatch(std::uint8_t* pOut, std::size_t nPosition, std::size_t nDistance,
                      std::size_t nLength) {
    std::uint8_t* pTo = pOut + nPosition;
    if (nDistance > nPosition) {
        for (std::size_t n = 0; n < nLength; ++n) {
            pTo[n] = nPosition + n >= nDistance ? pOut[nPosition + n - nDistance] : 0;
        }
        return;
    }
    const std::uint8_t* pFrom = pTo - nDistance;
    if (nLength >= 8 && (nDistance >= 8 || nDistance == 1)) {
        // Eight-byte pieces in order, the last one ending with the match:
        // at a distance of 8 or more each piece reads only bytes written
        // before it; at a distance of 1 every piece is the same byte.
        const std::uint64_t nFill = 0x0101010101010101ull * pFrom[0];
        const bool bFill = nDistance == 1;
        Store8(pTo, bFill ? nFill : Load8(pFrom));
        if (nLength > 16) Store8(pTo + 8, bFill ? nFill : Load8(pFrom + 8));
        Store8(pTo + nLength - 8, bFill ? nFill : Load8(pFrom + nLength - 8));
        return;
    }
    if (nLength >= 4 && nLength < 8 && (nDistance >= 4 || nDistance == 1)) {
        // The same with four-byte pieces.
        const std::uint32_t nFill = 0x01010101u * pFrom[0];
        const bool bFill = nDistance == 1;
        Store4(pTo, bFill ? nFill : Load4(pFrom));
        Store4(pTo + nLength - 4, bFill ? nFill : Load4(pFrom + nLength - 4));
        return;
    }
    for (std::size_t n = 0; n < nLength; ++n) pTo[n] = pFrom[n];
}

// The longest match a token gives.
constexpr std::size_t kLongestMatch = 18;
// Bytes of LZ77 data that hold a whole group: a flag byte and eight tokens.
constexpr std::size_t kLongestGroup = 17;
// Most bytes a group decodes to, and most bytes CopyAhead writes.
constexpr std::size_t kLongestGroupOutput = 8 * kLongestMatch;
constexpr std::size_t kLongestCopyAhead = 32;
static_assert(kLongestCopyAhead >= kLongestMatch);

// Copies a match of nLength bytes (3 to 18) from nDistance bytes back, as
// CopyMatch does, but in whole pieces that may write up to 32 bytes: the
// bytes after the match are scratch, overwritten later by the output. The
// caller makes sure they lie below the end of the output.
inline void CopyAhead(std::uint8_t* pOut, std::size_t nPosition, std::size_t nDistance,
                      std::size_t nLength) {
    if (nDistance > nPosition) {
        CopyMatch(pOut, nPosition, nDistance, nLength);
        return;
    }
    std::uint8_t* pTo = pOut + nPosition;
    const std::uint8_t* pFrom = pTo - nDistance;
    if (nLength <= nDistance) {
        // The match lies wholly before its output (most matches do, however
        // far back): both sixteen-byte pieces are read before either is
        // written. The bytes read past the match are scratch. (Read after
        // the first write, the second piece would overlap it, and a read
        // that overlaps a store still on its way waits for it.)
        std::uint8_t first[16];
        std::uint8_t second[16];
        std::memcpy(first, pFrom, 16);
        std::memcpy(second, pFrom + 16, 16);
        std::memcpy(pTo, first, 16);
        std::memcpy(pTo + 16, second, 16);
    } else if (nDistance == 1) {
        // A run of the byte before: it is in a register already, and no
        // store has to reach a load on the way.
        const std::uint64_t nFill = 0x0101010101010101ull * pTo[-1];
        Store8(pTo, nFill);
        Store8(pTo + 8, nFill);
        Store8(pTo + 16, nFill);
    } else if (nDistance >= 16) {
        // Two sixteen-byte pieces, each reading only bytes written before it.
        std::uint8_t piece[16];
        std::memcpy(piece, pFrom, 16);
        std::memcpy(pTo, piece, 16);
        std::memcpy(piece, pFrom + 16, 16);
        std::memcpy(pTo + 16, piece, 16);
    } else if (nDistance >= 8) {
        Store8(pTo, Load8(pFrom));
        Store8(pTo + 8, Load8(pFrom + 8));
        Store8(pTo + 16, Load8(pFrom + 16));
    } else if constexpr (std::endian::native == std::endian::little) {
        // 2 to 7: the match repeats its first nDistance bytes. They are read
        // one by one (a byte always comes straight from the store that wrote
        // it, where a wider read across several recent stores would wait for
        // them to reach the cache), repeated across a register, and stored
        // at every largest multiple of the distance that fits in eight
        // bytes, so that each piece starts the pattern afresh.
        static constexpr std::uint8_t kPiece[8] = {0, 0, 8, 6, 8, 5, 6, 7};
        std::uint64_t nPattern = 0;
        for (std::size_t n = 0; n < nDistance; ++n) {
            nPattern |= std::uint64_t{pFrom[n]} << (8 * n);
        }
        nPattern |= nPattern << (8 * nDistance);
        nPattern |= nDistance < 4 ? nPattern << (16 * nDistance % 64) : 0;
        const std::size_t nPiece = kPiece[nDistance];
        Store8(pTo, nPattern);
        Store8(pTo + nPiece, nPattern);
        Store8(pTo + 2 * nPiece, nPattern);
        Store8(pTo + 3 * nPiece, nPattern);
    } else {
        // 2 to 7: the match repeats its first nDistance bytes, so any
        // multiple of the distance reaching no further back than the match's
        // source serves as well. The first four bytes go one by one, the
        // next four come from a multiple of at least 4 back, the rest in
        // eight-byte pieces from a multiple of at least 8 back.
        static constexpr std::uint8_t kBack4[8] = {0, 0, 4, 6, 4, 5, 6, 7};
        static constexpr std::uint8_t kBack8[8] = {0, 0, 8, 9, 8, 10, 12, 14};
        pTo[0] = pFrom[0];
        pTo[1] = pFrom[1];
        pTo[2] = pFrom[2];
        pTo[3] = pFrom[3];
        Store4(pTo + 4, Load4(pTo + 4 - kBack4[nDistance]));
        const std::uint8_t* pSource = pTo + 8 - kBack8[nDistance];
        Store8(pTo + 8, Load8(pSource));
        Store8(pTo + 16, Load8(pSource + 8));
    }
}

// Input bytes that are sure to decode to more than a group writes, scratch
// included: they hold at least 22 whole groups (17 bytes at most each), and
// every whole group decodes to 8 bytes or more.
constexpr std::size_t kSureInput = kLongestGroup * 22;
static_assert((kSureInput / kLongestGroup) * 8 >= kLongestGroupOutput + kLongestCopyAhead);

// Most bytes one byte of LZ77 data decodes to: a two-byte token gives 18.
constexpr std::size_t kLz77Expansion = 9;

}  // namespace

std::vector<std::uint8_t> DecodeLz77(std::span<const std::uint8_t> source, std::size_t nLimit) {
    const std::size_t nBound = std::min(source.size() * kLz77Expansion, nLimit);
    const std::unique_ptr<std::uint8_t[]> pOutput =
        std::make_unique_for_overwrite<std::uint8_t[]>(nBound);
    const std::size_t nWritten = DecodeLz77(source, std::span<std::uint8_t>(pOutput.get(), nBound));
    return std::vector<std::uint8_t>(pOutput.get(), pOutput.get() + nWritten);
}

std::size_t DecodeLz77RunLength(std::span<const std::uint8_t> source,
                                std::span<std::uint8_t> destination) {
    // Pages of the intermediate block that the data does not reach are
    // never touched.
    const std::size_t nBound = source.size() * kLz77Expansion;
    const std::unique_ptr<std::uint8_t[]> pRuns =
        std::make_unique_for_overwrite<std::uint8_t[]>(nBound);
    const std::size_t nRuns = DecodeLz77(source, std::span<std::uint8_t>(pRuns.get(), nBound));
    return DecodeRunLength(std::span<const std::uint8_t>(pRuns.get(), nRuns), destination);
}

std::size_t DecodeLz77(std::span<const std::uint8_t> source, std::span<std::uint8_t> destination) {
    // The output is its own window: every back-reference reaches at most 4096
    // bytes back, into bytes already written to the destination.
    static_assert(kFarthestMatch == 4096);
    const std::uint8_t* const pIn = source.data();
    const std::size_t nInSize = source.size();
    std::uint8_t* const pOut = destination.data();
    const std::size_t nOutSize = destination.size();
    std::size_t nIn = 0;
    std::size_t nOut = 0;
    // Whole groups go without checks while the output is sure to pass every
    // byte they write, their scratch included: the destination has room for
    // it, and the source still holds enough whole groups to produce it.
    while (nInSize - nIn >= kSureInput &&
           nOutSize - nOut >= kLongestGroupOutput + kLongestCopyAhead) {
        unsigned nFlags = pIn[nIn++];
        if (nFlags == 0) {
            std::memcpy(pOut + nOut, pIn + nIn, 8);
            nIn += 8;
            nOut += 8;
            continue;
        }
        for (unsigned nBit = 0; nBit < 8; ++nBit, nFlags >>= 1) {
            if ((nFlags & 1u) == 0) {
                pOut[nOut++] = pIn[nIn++];
                continue;
            }
            const unsigned nToken = pIn[nIn] | (pIn[nIn + 1] << 8);
            nIn += 2;
            const std::size_t nLength = (nToken >> 12) + 3;
            CopyAhead(pOut, nOut, (nToken & 0x0FFFu) + 1, nLength);
            nOut += nLength;
        }
    }
    // The rest one item at a time, exactly.
    while (nIn < nInSize) {
        const unsigned nFlags = pIn[nIn++];
        if (nFlags == 0 && nInSize - nIn >= 8 && nOutSize - nOut >= 8) {
            // Eight literal bytes.
            std::memcpy(pOut + nOut, pIn + nIn, 8);
            nIn += 8;
            nOut += 8;
            continue;
        }
        for (unsigned nBit = 0; nBit < 8; ++nBit) {
            if (nIn >= nInSize || nOut == nOutSize) return nOut;
            if ((nFlags & (1u << nBit)) == 0) {
                pOut[nOut++] = pIn[nIn++];
                continue;
            }
            if (nInSize - nIn < 2) return nOut;  // token cut short
            const unsigned nToken = pIn[nIn] | (pIn[nIn + 1] << 8);
            nIn += 2;
            const std::size_t nDistance = (nToken & 0x0FFFu) + 1;
            std::size_t nLength = (nToken >> 12) + 3;
            if (nLength > nOutSize - nOut) nLength = nOutSize - nOut;  // the destination is full
            CopyMatch(pOut, nOut, nDistance, nLength);
            nOut += nLength;
        }
    }
    return nOut;
}

std::size_t ReadRunLengthData(CFile& file, std::span<std::uint8_t> destination,
                              std::int32_t nDataSize) {
    if (nDataSize <= 0) return DecodeRunLength({}, destination);
    // Never allocate more than the file can still deliver.
    const std::uint64_t nLength = file.GetLength();
    const std::uint64_t nPosition = file.GetPosition();
    const std::uint64_t nLeft = nLength > nPosition ? nLength - nPosition : 0;
    const std::size_t nWanted = static_cast<std::size_t>(
        std::min<std::uint64_t>(static_cast<std::uint64_t>(nDataSize), nLeft));
    const auto pData = std::make_unique_for_overwrite<std::uint8_t[]>(nWanted);
    const std::size_t nRead = nWanted > 0 ? file.Read(pData.get(), nWanted) : 0;
    return DecodeRunLength(std::span<const std::uint8_t>(pData.get(), nRead), destination);
}

}  // namespace vd
