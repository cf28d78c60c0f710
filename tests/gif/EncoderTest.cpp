// The GIF encoder: hand-checked code streams, the pixel reader's order, and
// byte equality with a literal rendering of the design on large pictures.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "common/Exceptions.h"
#include "common/File.h"
#include "gif/BufferedWriter.h"
#include "gif/GifEncoder.h"
#include "gif/PixelReader.h"
#include "tests/TestSupport.h"
#include "tests/gif/GifTestSupport.h"

namespace vd {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Compresses rows into a file and answers the bytes written.
Bytes Compress(int nDepth, const Bytes& rows, std::uint16_t nWidth, std::uint32_t nImageSize,
               bool bTopDown = false) {
    test::CTempDir dir;
    const std::string path = dir.File("out.bin");
    {
        CFile file;
        EXPECT_TRUE(file.Open(path, CFile::modeCreateReadWriteExclusive));
        CBufferedWriter out(file);
        auto pEncoder = std::make_unique<CGifEncoder>();
        pEncoder->Compress(out, static_cast<std::uint16_t>(nDepth), rows.data(), nWidth, 0,
                           nImageSize, bTopDown);
        out.Flush();
        file.Close();
    }
    return test::ReadBytes(path);
}

Bytes Compress(const test::Picture& picture) {
    const Bytes rows = test::PackRows(picture);
    return Compress(picture.nDepth, rows, static_cast<std::uint16_t>(picture.nWidth),
                    static_cast<std::uint32_t>(rows.size()));
}

std::vector<int> ReadAll(CPixelReader& reader) {
    std::vector<int> pixels;
    for (int v; (v = reader.NextPixel()) != CPixelReader::kEndMarker;) pixels.push_back(v);
    return pixels;
}

TEST(GifEncoder, HandCheckedStreams) {
    // 1 x 1 at 8 bits, pixel 5: clear 256, 5, end 257, nine bits each.
    EXPECT_EQ(Compress(8, {5, 0, 0, 0}, 1, 4), (Bytes{8, 4, 0x00, 0x0B, 0x04, 0x04}));
    // Three pixels 1 at 1 bit: clear 4, 1, code 6 for "1 1", end 5, three bits each.
    EXPECT_EQ(Compress(1, {0xE0, 0, 0, 0}, 3, 4), (Bytes{2, 2, 0x8C, 0x0B}));
    // 0 1 0 1 0 1 0 1 at 1 bit: 4, 0, 1, 6 in three bits; assigning code 8
    // widens to four bits: 8, 1, end 5.
    EXPECT_EQ(Compress(1, {0x55, 0, 0, 0}, 8, 4), (Bytes{2, 3, 0x44, 0x8C, 0x51}));
    // Two pixels 3 at 4 bits: clear 16, 3, 3, end 17 in five bits.
    EXPECT_EQ(Compress(4, {0x33, 0, 0, 0}, 2, 4), (Bytes{4, 3, 0x70, 0x8C, 0x08}));
}

TEST(GifEncoder, EmptyPictureWritesOnlyTheCodeSize) {
    EXPECT_EQ(Compress(8, {1, 2, 3, 4}, 4, 0), Bytes{8});
    EXPECT_EQ(Compress(4, {}, 0, 0), Bytes{4});
    EXPECT_EQ(Compress(1, {}, 0, 12), Bytes{2});
    // Image size smaller than one row: no whole row, no pixel.
    EXPECT_EQ(Compress(8, {1, 2, 3, 4, 5, 6, 7, 8}, 5, 7), Bytes{8});
    // Depths other than 1, 4 and 8 write nothing at all.
    EXPECT_EQ(Compress(24, {1, 2, 3, 4}, 1, 4), Bytes{});
    EXPECT_EQ(Compress(2, {1, 2, 3, 4}, 1, 4), Bytes{});
}

TEST(GifEncoder, StartCodesAndWidthsByDepth) {
    // Depth: minimum code size, clear, end, first assigned code, first width.
    struct Case {
        int nDepth, nMin, nClear, nWidth;
    };
    for (const Case c : {Case{1, 2, 4, 3}, Case{4, 4, 16, 5}, Case{8, 8, 256, 9}}) {
        const test::Picture picture = test::RandomPicture(c.nDepth, 7, 3, 5);
        const test::CodeStream s = test::ReadCodes(Compress(picture));
        ASSERT_TRUE(s.bOk) << s.strError;
        EXPECT_EQ(s.nMinCodeSize, c.nMin);
        EXPECT_EQ(s.codes.front(), c.nClear);
        EXPECT_EQ(s.widths.front(), c.nWidth);
        EXPECT_EQ(s.codes.back(), c.nClear + 1);
        EXPECT_EQ(s.pixels, picture.indices);
    }
}

TEST(PixelReader, HandsOutRowsTopFirstWithoutPaddingOrUnusedBits) {
    CPixelReader reader;
    std::vector<std::uint8_t> buffer(CPixelReader::kRowBufferSize);
    // 3 pixels at 8 bits, stride 4, two rows stored bottom first.
    const Bytes rows8{1, 2, 3, 0xEE, 4, 5, 6, 0xEE};
    reader.Start(8, rows8.data(), 3, 8, false, buffer.data());
    EXPECT_EQ(ReadAll(reader), (std::vector<int>{4, 5, 6, 1, 2, 3}));
    reader.Start(8, rows8.data(), 3, 8, true, buffer.data());
    EXPECT_EQ(ReadAll(reader), (std::vector<int>{1, 2, 3, 4, 5, 6}));

    // 11 pixels at 1 bit: bits 7..0 of the first byte, bits 7..5 of the second.
    const Bytes rows1{0b10110010, 0b01011111, 0xFF, 0xFF};
    reader.Start(1, rows1.data(), 11, 4, false, buffer.data());
    EXPECT_EQ(ReadAll(reader), (std::vector<int>{1, 0, 1, 1, 0, 0, 1, 0, 0, 1, 0}));

    // 5 pixels at 4 bits: high and low nibbles, then the third byte's high one.
    const Bytes rows4{0x12, 0x34, 0x5F, 0xFF, 0x67, 0x89, 0xAF, 0xFF};
    reader.Start(4, rows4.data(), 5, 8, false, buffer.data());
    EXPECT_EQ(ReadAll(reader), (std::vector<int>{6, 7, 8, 9, 10, 1, 2, 3, 4, 5}));

    // Every width at 1 bit over two rows: width * 2 pixels, in order.
    for (std::uint32_t nWidth = 1; nWidth <= 40; ++nWidth) {
        const test::Picture picture = test::RandomPicture(1, nWidth, 2, nWidth);
        const Bytes rows = test::PackRows(picture);
        reader.Start(1, rows.data(), nWidth, static_cast<std::uint32_t>(rows.size()), false,
                     buffer.data());
        const std::vector<int> pixels = ReadAll(reader);
        EXPECT_EQ(std::vector<std::uint8_t>(pixels.begin(), pixels.end()), picture.indices)
            << nWidth;
    }
}

TEST(PixelReader, ReadsOnlyWholeRowsInsideTheImageSize) {
    // Exactly sized buffers: a read past them shows in the sanitizer build.
    CPixelReader reader;
    std::vector<std::uint8_t> buffer(CPixelReader::kRowBufferSize);
    const Bytes rows{1, 2, 3, 0, 4, 5, 6, 0, 7, 8};  // two whole rows and a part row
    reader.Start(8, rows.data(), 3, static_cast<std::uint32_t>(rows.size()), false, buffer.data());
    EXPECT_EQ(ReadAll(reader), (std::vector<int>{4, 5, 6, 1, 2, 3}));
    reader.Start(8, rows.data(), 3, 3, false, buffer.data());
    EXPECT_EQ(ReadAll(reader), std::vector<int>{});
    reader.Start(8, rows.data(), 0, 10, false, buffer.data());
    EXPECT_EQ(ReadAll(reader), std::vector<int>{});
}

// Checks that the stream is framed and coded as it must be, and decodes to
// the picture.
void ExpectWellFormed(const Bytes& imageData, const test::Picture& picture) {
    const test::CodeStream s = test::ReadCodes(imageData);
    ASSERT_TRUE(s.bOk) << s.strError;
    EXPECT_EQ(s.pixels, picture.indices);
    EXPECT_TRUE(s.bClearsOnlyWhenFull);
    EXPECT_TRUE(s.bFullTableFollowedByClear);
    for (std::size_t nPos : s.clearPositions) EXPECT_EQ(s.widths[nPos], 12);
    // Sub-blocks written during compression hold 254 or 255 bytes; only the
    // last ones (at most two) may be shorter, and none is empty.
    const std::size_t nBlocks = s.blockLengths.size();
    for (std::size_t i = 0; i < nBlocks; ++i) {
        EXPECT_GT(s.blockLengths[i], 0u);
        EXPECT_LE(s.blockLengths[i], 255u);
        if (i + 2 < nBlocks) {
            EXPECT_GE(s.blockLengths[i], 254u) << "block " << i;
        }
    }
}

TEST(GifEncoder, LargePicturesMatchTheDesignByteForByte) {
    struct Case {
        int nDepth;
        std::uint32_t nWidth, nHeight;
        bool bRandom;
        std::size_t nMinClears;
    };
    const Case cases[] = {
        {8, 640, 480, true, 20}, {8, 641, 203, false, 0}, {4, 333, 257, true, 5},
        {4, 800, 600, false, 0}, {1, 1001, 307, true, 2}, {1, 640, 480, false, 0},
        {8, 1, 5000, true, 0},   {4, 3, 3001, true, 0},   {1, 9, 999, true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.nDepth) + " bits, " + std::to_string(c.nWidth) + " x " +
                     std::to_string(c.nHeight));
        const test::Picture picture =
            c.bRandom ? test::RandomPicture(c.nDepth, c.nWidth, c.nHeight, c.nWidth)
                      : test::ScreenshotPicture(c.nDepth, c.nWidth, c.nHeight, c.nHeight);
        const Bytes rows = test::PackRows(picture);
        const Bytes ours = Compress(picture);
        const Bytes reference = test::ReferenceCompress(c.nDepth, rows.data(), c.nWidth,
                                                        static_cast<std::uint32_t>(rows.size()));
        EXPECT_TRUE(ours == reference) << "sizes " << ours.size() << " and " << reference.size();
        ExpectWellFormed(ours, picture);
        EXPECT_GE(test::ReadCodes(ours).clearPositions.size(), c.nMinClears);
    }
}

// Pictures of runs of one index: random run lengths and indices, row after
// row, so that runs cross row ends.
test::Picture RunsPicture(int nDepth, std::uint32_t nWidth, std::uint32_t nHeight,
                          std::uint32_t nLongest, std::uint32_t nSeed) {
    test::Picture picture = test::RandomPicture(nDepth, nWidth, nHeight, nSeed);
    const test::Picture noise = test::RandomPicture(8, 2 * nWidth * nHeight + 2, 1, nSeed + 1);
    std::size_t i = 0;
    std::size_t r = 0;
    const auto nMask = static_cast<std::uint8_t>((1u << nDepth) - 1);
    while (i < picture.indices.size()) {
        const std::size_t nRun = 1 + (noise.indices[r] * 257u + noise.indices[r + 1]) % nLongest;
        const auto v = static_cast<std::uint8_t>(noise.indices[r + 1] & nMask);
        r += 2;
        for (std::size_t k = 0; k < nRun && i < picture.indices.size(); ++k)
            picture.indices[i++] = v;
    }
    return picture;
}

TEST(GifEncoder, RunsOfOneIndexMatchTheDesign) {
    struct Case {
        int nDepth;
        std::uint32_t nWidth, nHeight, nLongest;
    };
    const Case cases[] = {
        {8, 1, 3000, 400},  {8, 7, 900, 300},    {8, 9, 700, 5000},  {8, 300, 200, 2000},
        {8, 64, 64, 9},     {8, 1000, 400, 100}, {4, 1, 2000, 300},  {4, 13, 500, 3000},
        {4, 500, 300, 200}, {1, 3, 3000, 500},   {1, 77, 300, 1000}, {1, 1000, 300, 64},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.nDepth) + " bits, " + std::to_string(c.nWidth) + " x " +
                     std::to_string(c.nHeight) + ", runs up to " + std::to_string(c.nLongest));
        const test::Picture picture = RunsPicture(c.nDepth, c.nWidth, c.nHeight, c.nLongest, 7);
        const Bytes rows = test::PackRows(picture);
        const Bytes ours = Compress(picture);
        EXPECT_TRUE(ours == test::ReferenceCompress(c.nDepth, rows.data(), c.nWidth,
                                                    static_cast<std::uint32_t>(rows.size())));
        ExpectWellFormed(ours, picture);
    }
    // One index everywhere: runs grow until the table is full and start
    // again after each clear code.
    for (int nDepth : {1, 4, 8}) {
        test::Picture flat = test::RandomPicture(nDepth, 3001, 3000);
        std::fill(flat.indices.begin(), flat.indices.end(), std::uint8_t{1});
        const Bytes rows = test::PackRows(flat);
        const Bytes ours = Compress(flat);
        EXPECT_TRUE(ours == test::ReferenceCompress(nDepth, rows.data(), 3001,
                                                    static_cast<std::uint32_t>(rows.size())));
        const test::CodeStream s = test::ReadCodes(ours);
        ASSERT_TRUE(s.bOk) << s.strError;
        EXPECT_EQ(s.clearPositions.size(), 1u);
        EXPECT_TRUE(s.pixels == flat.indices);
    }
}

TEST(GifEncoder, BandsOfNoiseAndFlatAreasMatchTheDesignWithOneEncoder) {
    // Noise and flat bands in turn switch the encoder's shortcuts off and on
    // again, table after table; one encoder compresses every picture, so each
    // must start from clean tables whatever the one before left.
    test::CTempDir dir;
    auto pEncoder = std::make_unique<CGifEncoder>();
    for (int nDepth : {8, 4, 1, 8}) {
        SCOPED_TRACE(nDepth);
        test::Picture picture = test::ScreenshotPicture(nDepth, 700, 400, 3);
        const test::Picture noise = test::RandomPicture(nDepth, 700, 400, 4);
        for (std::size_t n = 0; n < picture.indices.size(); ++n) {
            if ((n / 700) % 100 < 40) picture.indices[n] = noise.indices[n];
        }
        const Bytes rows = test::PackRows(picture);
        const std::string path = dir.File("bands" + std::to_string(nDepth) + ".bin");
        {
            CFile file;
            ASSERT_TRUE(file.Open(path, CFile::modeCreateReadWriteExclusive));
            CBufferedWriter out(file);
            pEncoder->Compress(out, static_cast<std::uint16_t>(nDepth), rows.data(), 700, 0,
                               static_cast<std::uint32_t>(rows.size()));
            out.Flush();
        }
        EXPECT_TRUE(test::ReadBytes(path) ==
                    test::ReferenceCompress(nDepth, rows.data(), 700,
                                            static_cast<std::uint32_t>(rows.size())));
    }
}

TEST(GifEncoder, TopDownRowsGiveTheSameStream) {
    const test::Picture picture = test::ScreenshotPicture(4, 203, 77, 2);
    const Bytes bottomUp = test::PackRows(picture, false);
    const Bytes topDown = test::PackRows(picture, true);
    const auto nSize = static_cast<std::uint32_t>(bottomUp.size());
    EXPECT_EQ(Compress(4, topDown, 203, nSize, true), Compress(4, bottomUp, 203, nSize, false));
}

TEST(GifEncoder, WriteErrorReachesTheCaller) {
    CFile full;
    if (!full.Open("/dev/full", CFile::modeCreateReadWriteExclusive)) {
        GTEST_SKIP() << "/dev/full is not available";
    }
    const test::Picture picture = test::RandomPicture(8, 300, 300, 9);
    const Bytes rows = test::PackRows(picture);
    CBufferedWriter out(full, 512);
    auto pEncoder = std::make_unique<CGifEncoder>();
    EXPECT_THROW(
        pEncoder->Compress(out, 8, rows.data(), 300, 300, static_cast<std::uint32_t>(rows.size())),
        CFileException);
}

TEST(BufferedWriter, PassesBytesOnInOrder) {
    test::CTempDir dir;
    Bytes expected;
    {
        CFile file;
        ASSERT_TRUE(file.Open(dir.File("w"), CFile::modeCreateReadWriteExclusive));
        CBufferedWriter out(file, 7);
        for (std::uint8_t i = 0; i < 50; ++i) {
            const Bytes piece(i % 13, i);
            out.Write(piece.data(), piece.size());
            out.PutByte(i);
            expected.insert(expected.end(), piece.begin(), piece.end());
            expected.push_back(i);
        }
        out.Flush();
        EXPECT_EQ(out.GetPending(), 0u);
    }
    EXPECT_EQ(test::ReadBytes(dir.File("w")), expected);
}

}  // namespace
}  // namespace vd
