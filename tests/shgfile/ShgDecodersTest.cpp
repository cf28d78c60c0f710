#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "common/File.h"
#include "hypergraphics/ShgDecoders.h"
#include "tests/TestSupport.h"
#include "tests/shgfile/ShgBuilder.h"

namespace vd {
namespace {

using Bytes = std::vector<std::uint8_t>;

const Bytes kRunLengthExample = {0x03, 0x41, 0x82, 0x42, 0x43, 0x00, 0x55, 0x80, 0x00};

Bytes Expected133() {
    Bytes expected(133, 0x00);
    expected[0] = expected[1] = expected[2] = 0x41;
    expected[3] = 0x42;
    expected[4] = 0x43;
    return expected;
}

TEST(ShgDecodersTest, RunLengthExampleGives133Bytes) {
    Bytes out(200, 0xEE);
    EXPECT_EQ(DecodeRunLength(kRunLengthExample, out), 133u);
    EXPECT_EQ(Bytes(out.begin(), out.begin() + 133), Expected133());
    EXPECT_EQ(std::count(out.begin() + 133, out.end(), 0), 200 - 133);  // the rest zero-filled

    // The same from a file, which is left after the data.
    test::CTempDir dir;
    Bytes file = kRunLengthExample;
    file.push_back(0x99);
    test::WriteBytes(dir.File("rle"), file);
    CFile in;
    ASSERT_TRUE(in.Open(dir.File("rle"), CFile::modeReadShareDenyWrite));
    Bytes fromFile(133);
    EXPECT_EQ(ReadRunLengthData(in, fromFile, 9), 133u);
    EXPECT_EQ(fromFile, Expected133());
    EXPECT_EQ(in.GetPosition(), 9u);
    // A data size of 0 or less reads nothing; one beyond the file reads what is there.
    EXPECT_EQ(ReadRunLengthData(in, fromFile, 0), 0u);
    EXPECT_EQ(ReadRunLengthData(in, fromFile, -5), 0u);
    EXPECT_EQ(in.GetPosition(), 9u);
    EXPECT_EQ(ReadRunLengthData(in, fromFile, 1000), 0u);  // a lone control byte: no value
    EXPECT_EQ(in.GetPosition(), 10u);
}

TEST(ShgDecodersTest, RunLengthNeverWritesPastItsDestinationNorActsOnMissingBytes) {
    // Each destination is exactly as large as given, so a sanitizer build
    // catches any write beyond it.
    for (std::size_t nSize = 0; nSize <= 133; ++nSize) {
        std::vector<std::uint8_t> out(nSize);
        EXPECT_EQ(DecodeRunLength(kRunLengthExample, out), nSize);
    }
    Bytes out(64, 0xEE);
    // A literal run cut short copies what is there; a repeat without its
    // value stops. The rest of the destination is zero-filled.
    EXPECT_EQ(DecodeRunLength(Bytes{0x85, 1, 2}, out), 2u);
    EXPECT_EQ(out[0], 1);
    EXPECT_EQ(out[1], 2);
    EXPECT_EQ(std::count(out.begin(), out.end(), 0), 62);
    EXPECT_EQ(DecodeRunLength(Bytes{0x02, 7, 0x05}, out), 2u);
    EXPECT_EQ(DecodeRunLength(Bytes{}, out), 0u);
}

TEST(ShgDecodersTest, Lz77LiteralsTokensAndTheZeroWindow) {
    // Flag 0x04: two literals, then a token of distance 2 and length 5 that
    // copies over its own output, then literal 'Z' (bit 3 clear).
    const Bytes data = {0x04, 'a', 'b', 0x01, 0x20, 'Z'};
    Bytes out(16, 0xEE);
    EXPECT_EQ(DecodeLz77(data, out), 8u);
    EXPECT_EQ(Bytes(out.begin(), out.begin() + 8), (Bytes{'a', 'b', 'a', 'b', 'a', 'b', 'a', 'Z'}));

    // A token that reaches before the start reads the zero-filled window,
    // also where it runs on into the output (distance 4 at position 2).
    Bytes partly(7, 0xEE);
    EXPECT_EQ(DecodeLz77(Bytes{0x04, 'a', 'b', 0x03, 0x20}, partly), 7u);
    EXPECT_EQ(partly, (Bytes{'a', 'b', 0, 0, 'a', 'b', 0}));
    const Bytes zeros = {0x01, 0xFF, 0xFF};  // distance 4096, length 18
    EXPECT_EQ(DecodeLz77(zeros, std::numeric_limits<std::size_t>::max()), Bytes(18, 0));
    // A token cut short is dropped; so is a flag byte with nothing after it.
    EXPECT_EQ(DecodeLz77(Bytes{0x02, 'x', 0x05}, 100), Bytes{'x'});
    EXPECT_EQ(DecodeLz77(Bytes{0x00, 'x', 'y', 'z', 'w', 'v', 'u', 't', 's', 0x00}, 100).size(),
              8u);
    // The limit and the destination are never exceeded.
    EXPECT_EQ(DecodeLz77(zeros, 5).size(), 5u);
    for (std::size_t nSize = 0; nSize < 10; ++nSize) {
        std::vector<std::uint8_t> small(nSize);
        EXPECT_EQ(DecodeLz77(data, small), std::min<std::size_t>(nSize, 8));
    }
}

// LZ77 decoded the plain way: byte by byte through a zero-filled 4096-byte
// ring window, stopping after nLimit bytes.
Bytes ReferenceLz77(const Bytes& source, std::size_t nLimit) {
    std::array<std::uint8_t, 4096> window{};
    Bytes out;
    std::size_t nIn = 0;
    auto put = [&](std::uint8_t v) {
        window[out.size() % 4096] = v;
        out.push_back(v);
        return out.size() < nLimit;
    };
    while (nIn < source.size()) {
        const unsigned nFlags = source[nIn++];
        for (int nBit = 0; nBit < 8 && nIn < source.size(); ++nBit) {
            if ((nFlags >> nBit & 1) == 0) {
                if (!put(source[nIn++])) return out;
                continue;
            }
            if (source.size() - nIn < 2) return out;
            const unsigned nToken = source[nIn] | (source[nIn + 1] << 8);
            nIn += 2;
            const std::size_t nFrom = out.size() + 4096 - ((nToken & 0xFFF) + 1);
            for (std::size_t n = 0; n < (nToken >> 12) + 3; ++n) {
                if (!put(window[(nFrom + n) % 4096])) return out;
            }
        }
    }
    return out;
}

TEST(ShgDecodersTest, Lz77MatchesAByteByByteDecoderForEveryDistanceAndLength) {
    std::mt19937 rng(7);
    for (int nCase = 0; nCase < 3000; ++nCase) {
        // Random streams whose tokens reach every distance class (1 to 20,
        // near 4096, before the start) and every length; every fourth one is
        // long enough for the decoder's unchecked path.
        Bytes source;
        const int nGroups = 1 + static_cast<int>(rng() % (nCase % 4 == 0 ? 400 : 40));
        for (int g = 0; g < nGroups; ++g) {
            const auto nFlags = static_cast<std::uint8_t>(rng());
            source.push_back(nFlags);
            for (int nBit = 0; nBit < 8; ++nBit) {
                if ((nFlags >> nBit & 1) == 0) {
                    source.push_back(static_cast<std::uint8_t>(rng()));
                    continue;
                }
                const unsigned nDistance = rng() % 4 == 0 ? 4096 - rng() % 8 : 1 + rng() % 20;
                const unsigned nToken = ((rng() % 16) << 12) | (nDistance - 1);
                source.push_back(static_cast<std::uint8_t>(nToken));
                source.push_back(static_cast<std::uint8_t>(nToken >> 8));
            }
        }
        source.resize(source.size() - rng() % 3);  // a stream cut anywhere
        const Bytes expected = ReferenceLz77(source, std::numeric_limits<std::size_t>::max());
        SCOPED_TRACE(nCase);
        ASSERT_EQ(DecodeLz77(source, std::numeric_limits<std::size_t>::max()), expected);
        // Into a destination that is larger or smaller than the output: the
        // bytes after those answered stay as they were.
        const std::size_t nSize = expected.size() + 40 - rng() % 80;
        Bytes out(nSize > expected.size() + 40 ? 0 : nSize, 0xEE);
        const std::size_t nWritten = DecodeLz77(source, out);
        const Bytes limited = ReferenceLz77(source, out.size());
        ASSERT_EQ(nWritten, out.empty() ? 0 : limited.size());
        EXPECT_TRUE(std::equal(limited.begin(), limited.begin() + nWritten, out.begin()));
        EXPECT_EQ(std::count(out.begin() + nWritten, out.end(), 0xEE), out.size() - nWritten);
    }
}

// Run-length data decoded the plain way, one byte at a time.
Bytes ReferenceRunLength(const Bytes& source) {
    Bytes out;
    for (std::size_t nIn = 0; nIn < source.size();) {
        const unsigned nControl = source[nIn++];
        if (nControl > 0x80) {
            for (unsigned n = 0; n < nControl - 0x80 && nIn < source.size(); ++n) {
                out.push_back(source[nIn++]);
            }
        } else if (nIn < source.size()) {
            out.insert(out.end(), nControl, source[nIn++]);
        }
    }
    return out;
}

TEST(ShgDecodersTest, RunLengthMatchesAByteByByteDecoderForEveryRun) {
    std::mt19937 rng(11);
    for (int nCase = 0; nCase < 2000; ++nCase) {
        // Literal and repeat runs of every length, empty repeats included;
        // every fourth stream is long enough for the unchecked path.
        Bytes source;
        const int nRuns = 1 + static_cast<int>(rng() % (nCase % 4 == 0 ? 300 : 20));
        for (int r = 0; r < nRuns; ++r) {
            const bool bLiteral = rng() % 2 == 0;
            const unsigned nLength = rng() % 3 == 0 ? 1 + rng() % 127 : rng() % 20;
            if (bLiteral) {
                source.push_back(static_cast<std::uint8_t>(0x81 + nLength % 127));
                for (unsigned n = 0; n < 1 + nLength % 127; ++n) {
                    source.push_back(static_cast<std::uint8_t>(rng()));
                }
            } else {
                source.push_back(static_cast<std::uint8_t>(nLength % 129));
                source.push_back(static_cast<std::uint8_t>(rng()));
            }
        }
        source.resize(source.size() - rng() % 3);  // a stream cut anywhere
        const Bytes expected = ReferenceRunLength(source);
        SCOPED_TRACE(nCase);
        // Into a destination larger or smaller than the output: the bytes
        // after those answered are zero.
        const std::size_t nSize = expected.size() + 40 - rng() % 80;
        Bytes out(nSize > expected.size() + 40 ? 0 : nSize, 0xEE);
        const std::size_t nWritten = DecodeRunLength(source, out);
        ASSERT_EQ(nWritten, std::min(out.size(), expected.size()));
        EXPECT_TRUE(std::equal(out.begin(), out.begin() + nWritten, expected.begin()));
        EXPECT_EQ(std::count(out.begin() + nWritten, out.end(), 0), out.size() - nWritten);
        // Packed once more with LZ77 (slow: now and then), the two decode in
        // turn to the same.
        if (nCase % 25 != 0) continue;
        const Bytes lz = test::PackLz77(source);
        Bytes both(out.size(), 0xEE);
        ASSERT_EQ(DecodeLz77RunLength(lz, both), nWritten);
        EXPECT_EQ(both, out);
    }
}

TEST(ShgDecodersTest, BuilderPackersRoundTripThroughTheDecoders) {
    Bytes data;
    for (int n = 0; n < 5000; ++n)
        data.push_back(static_cast<std::uint8_t>((n / 7) % 5 == 0 ? 0 : n * 31 / 11));
    for (int n = 0; n < 300; ++n) data.push_back(0x42);
    data.push_back(0x43);

    const Bytes runs = test::PackRunLength(data);
    Bytes out(data.size() + 10);
    EXPECT_EQ(DecodeRunLength(runs, out), data.size());
    EXPECT_TRUE(std::equal(data.begin(), data.end(), out.begin()));

    const Bytes lz = test::PackLz77(data);
    EXPECT_LT(lz.size(), data.size());
    EXPECT_EQ(DecodeLz77(lz, std::numeric_limits<std::size_t>::max()), data);
}

}  // namespace
}  // namespace vd
