// Writing packed DIBs as GIF files: the file layout, colour tables, the
// bitmaps that are refused, top-down and run-length rows.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/Exceptions.h"
#include "common/File.h"
#include "gif/DibToGif.h"
#include "gif/PackedDib.h"
#include "tests/TestSupport.h"
#include "tests/gif/GifTestSupport.h"

namespace vd {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct Conversion {
    int nResult = -1;
    std::string strReason;
    Bytes gif;        // the output file
    Bytes dibAfter;   // the packed DIB after the call
    int nLocks = -1;  // lock count of the DIB after the call
    test::DecodedGif decoded;
};

Conversion Convert(const Bytes& dib) {
    Conversion c;
    test::CTempDir dir;
    const std::string path = dir.File("out.gif");
    CMemoryBlock block = CMemoryBlock::Allocate(dib.size());
    {
        CMemoryLock lock(block);
        std::copy(dib.begin(), dib.end(), lock.Data());
    }
    {
        CFile file;
        EXPECT_TRUE(file.Open(path, CFile::modeCreateReadWriteExclusive));
        c.nResult = ConvertDibToGif(block, file, &c.strReason);
        file.Close();
    }
    c.nLocks = block.GetLockCount();
    {
        CMemoryLock lock(block);
        c.dibAfter.assign(lock.Data(), lock.Data() + lock.Size());
    }
    c.gif = test::ReadBytes(path);
    if (c.nResult == 1) c.decoded = test::DecodeWithGiflib(path);
    return c;
}

std::vector<test::Rgb> Expanded(std::vector<test::Rgb> palette, int nDepth) {
    palette.resize(std::size_t{1} << nDepth, test::Rgb{0, 0, 0});
    return palette;
}

// The GIF decodes (with giflib) to the picture's indices and colours.
void ExpectPicture(const Conversion& c, const test::Picture& picture) {
    ASSERT_EQ(c.nResult, 1) << c.strReason;
    ASSERT_TRUE(c.decoded.bOk) << c.decoded.strError;
    EXPECT_EQ(c.decoded.nImageCount, 1);
    EXPECT_EQ(c.decoded.nScreenWidth, static_cast<int>(picture.nWidth));
    EXPECT_EQ(c.decoded.nScreenHeight, static_cast<int>(picture.nHeight));
    EXPECT_EQ(c.decoded.nImageWidth, static_cast<int>(picture.nWidth));
    EXPECT_EQ(c.decoded.nImageHeight, static_cast<int>(picture.nHeight));
    EXPECT_TRUE(c.decoded.indices == picture.indices);
    EXPECT_EQ(c.decoded.colours, Expanded(picture.palette, picture.nDepth));
    EXPECT_EQ(c.nLocks, 0);
}

TEST(DibToGif, WritesTheOneLayoutAtEachDepth) {
    struct Case {
        int nDepth;
        std::uint8_t byFields;
        std::size_t nTableBytes;
        std::uint8_t nMinCodeSize;
    };
    for (const Case k : {Case{1, 0x80, 6, 2}, Case{4, 0xB3, 48, 4}, Case{8, 0xF7, 768, 8}}) {
        SCOPED_TRACE(k.nDepth);
        const test::Picture picture = test::RandomPicture(k.nDepth, 13, 7, 3);
        const Conversion c = Convert(test::MakePackedDib(picture));
        ExpectPicture(c, picture);
        const test::GifLayout g = test::ParseGif(c.gif);
        ASSERT_TRUE(g.bOk) << g.strError;
        EXPECT_EQ(g.strSignature, "GIF87a");
        EXPECT_EQ(g.nScreenWidth, 13);
        EXPECT_EQ(g.nScreenHeight, 7);
        EXPECT_EQ(g.byScreenFields, k.byFields);
        EXPECT_EQ(g.byBackground, 0);
        EXPECT_EQ(g.byAspect, 0);
        EXPECT_EQ(g.colourTable.size(), k.nTableBytes);
        EXPECT_EQ(g.descriptor, (std::array<std::uint8_t, 10>{0x2C, 0, 0, 0, 0, 13, 0, 7, 0, 0}));
        EXPECT_EQ(g.nMinCodeSize, k.nMinCodeSize);
    }
}

TEST(DibToGif, ShortColourTablesAreCompletedWithBlack) {
    // 8 bits with 20 colours: the rows follow 80 bytes of colour table.
    test::Picture picture = test::RandomPicture(8, 9, 4, 4);
    picture.palette = test::ColourPalette(20, 9);
    for (auto& v : picture.indices) v = static_cast<std::uint8_t>(v % 20);
    const Conversion c = Convert(test::MakePackedDib(picture));
    ExpectPicture(c, picture);
    const test::GifLayout g = test::ParseGif(c.gif);
    ASSERT_TRUE(g.bOk);
    EXPECT_TRUE(std::all_of(g.colourTable.begin() + 60, g.colourTable.end(),
                            [](std::uint8_t b) { return b == 0; }));

    // 1 bit with a one-entry table; pixels of index 1 refer to black.
    test::Picture one = test::RandomPicture(1, 17, 3, 2);
    one.palette = {{200, 100, 50}};
    ExpectPicture(Convert(test::MakePackedDib(one)), one);

    // More entries than the depth has: the rows still follow the whole table.
    test::Picture four = test::RandomPicture(4, 5, 5, 6);
    four.palette = test::ColourPalette(40, 2);
    const Conversion c4 = Convert(test::MakePackedDib(four));
    ASSERT_EQ(c4.nResult, 1);
    EXPECT_EQ(c4.decoded.indices, four.indices);
    EXPECT_EQ(c4.decoded.colours,
              (std::vector<test::Rgb>(four.palette.begin(), four.palette.begin() + 16)));
}

TEST(DibToGif, RecomputesTheImageSize) {
    const test::Picture picture = test::RandomPicture(4, 11, 6, 8);  // stride 8
    for (std::int64_t nStored : {0, 5, 100000}) {
        test::DibOptions options;
        options.nSizeImage = nStored;
        const Conversion c = Convert(test::MakePackedDib(picture, options));
        ExpectPicture(c, picture);
        EXPECT_EQ(ReadLe32(c.dibAfter.data() + 20), 48u);
    }
}

TEST(DibToGif, PicturesOfEveryDepthDecodePixelExact) {
    struct Case {
        int nDepth;
        std::uint32_t nWidth, nHeight;
        std::size_t nColours;
    };
    const Case cases[] = {{1, 1, 1, 2},      {1, 31, 9, 2},      {1, 33, 65, 2},
                          {1, 1023, 500, 2}, {4, 1, 1, 16},      {4, 7, 13, 16},
                          {4, 9, 3, 5},      {4, 1001, 700, 16}, {8, 1, 1, 256},
                          {8, 3, 5, 256},    {8, 127, 9, 100},   {8, 1000, 1000, 256},
                          {8, 4099, 3, 256}, {8, 3, 4099, 256}};
    for (const Case& k : cases) {
        SCOPED_TRACE(std::to_string(k.nDepth) + " bits " + std::to_string(k.nWidth) + " x " +
                     std::to_string(k.nHeight));
        test::Picture picture = test::RandomPicture(k.nDepth, k.nWidth, k.nHeight, k.nWidth);
        picture.palette = test::ColourPalette(k.nColours, 4);
        ExpectPicture(Convert(test::MakePackedDib(picture)), picture);
        const test::Picture screen =
            test::ScreenshotPicture(k.nDepth, k.nWidth, k.nHeight, k.nHeight);
        ExpectPicture(Convert(test::MakePackedDib(screen)), screen);
    }
}

TEST(DibToGif, TopDownRowsGiveTheSameGif) {
    for (int nDepth : {1, 4, 8}) {
        const test::Picture picture = test::ScreenshotPicture(nDepth, 77, 51, 3);
        test::DibOptions topDown;
        topDown.bTopDown = true;
        const Conversion down = Convert(test::MakePackedDib(picture, topDown));
        ExpectPicture(down, picture);
        EXPECT_EQ(down.gif, Convert(test::MakePackedDib(picture)).gif);
        EXPECT_EQ(ReadLe32(down.dibAfter.data() + 20), test::PackRows(picture).size());
    }
}

TEST(DibToGif, EmptyPicturesGiveAnEmptyImage) {
    for (auto [nWidth, nHeight] : {std::pair{0u, 5u}, std::pair{5u, 0u}}) {
        const test::Picture picture = test::RandomPicture(8, nWidth, nHeight);
        const Conversion c = Convert(test::MakePackedDib(picture));
        ASSERT_EQ(c.nResult, 1) << c.strReason;
        const test::GifLayout g = test::ParseGif(c.gif);
        ASSERT_TRUE(g.bOk) << g.strError;
        EXPECT_EQ(g.nMinCodeSize, 8);
        EXPECT_TRUE(g.blockLengths.empty());
    }
}

// A packed DIB with one field changed.
Bytes With(Bytes dib, std::size_t nOffset, std::uint32_t nValue, int nBytes = 4) {
    for (int i = 0; i < nBytes; ++i)
        dib[nOffset + i] = static_cast<std::uint8_t>(nValue >> (8 * i));
    return dib;
}

TEST(DibToGif, RefusesBeforeWritingAnything) {
    const test::Picture picture = test::RandomPicture(8, 6, 4);
    const Bytes good = test::MakePackedDib(picture);
    Bytes cut = good;
    cut.pop_back();  // the rows end one byte short
    Bytes core{12, 0, 0, 0, 2, 0, 2, 0, 1, 0, 8, 0};
    core.resize(12 + 3 * 256 + 8, 0);
    const std::vector<std::pair<std::string, Bytes>> cases = {
        {"core header", core},
        {"108-byte header", With(good, 0, 108)},
        {"16 bits", With(good, 14, 16, 2)},
        {"bit fields at 24 bits, other masks", With(With(good, 14, 24, 2), 16, 3)},
        {"2 bits", With(good, 14, 2, 2)},
        {"0 bits", With(good, 14, 0, 2)},
        {"bit fields", With(good, 16, 3)},
        {"JPEG", With(good, 16, 4)},
        {"RLE4 at 8 bits", With(good, 16, 2)},
        {"RLE8 at 4 bits", With(test::MakePackedDib(test::RandomPicture(4, 6, 4)), 16, 1)},
        {"wider than a GIF", With(good, 4, 65536)},
        {"taller than a GIF", With(good, 8, 65536)},
        {"taller top-down", With(good, 8, static_cast<std::uint32_t>(-65536))},
        {"most negative height", With(good, 8, 0x80000000u)},
        {"negative width", With(good, 4, 0xFFFFFFFFu)},
        {"colour table outside", With(good, 32, 0xFFFFFFFFu)},
        {"colour table just outside",
         With(good, 32, static_cast<std::uint32_t>((good.size() - 39) / 4))},
        {"rows outside", cut},
        {"huge rows outside", With(With(good, 4, 65535), 8, 65535)},
        {"header cut short", Bytes(good.begin(), good.begin() + 39)},
        {"3 bytes", Bytes{40, 0, 0}},
        {"empty block", Bytes{}},
    };
    for (const auto& [strName, dib] : cases) {
        SCOPED_TRACE(strName);
        const Conversion c = Convert(dib);
        EXPECT_EQ(c.nResult, 0);
        EXPECT_FALSE(c.strReason.empty());
        EXPECT_TRUE(c.gif.empty());
        EXPECT_EQ(c.dibAfter, dib);  // not even the image size is rewritten
        EXPECT_EQ(c.nLocks, 0);
    }

    CMemoryBlock none;
    test::CTempDir dir;
    CFile file;
    ASSERT_TRUE(file.Open(dir.File("x.gif"), CFile::modeCreateReadWriteExclusive));
    EXPECT_EQ(ConvertDibToGif(none, file), 0);
}

TEST(DibToGif, WriteErrorRaisesAndUnlocks) {
    const Bytes dib = test::MakePackedDib(test::RandomPicture(8, 200, 200));
    CMemoryBlock block = CMemoryBlock::Allocate(dib.size());
    std::copy(dib.begin(), dib.end(), block.Lock());
    block.Unlock();
    CFile full;
    if (!full.Open("/dev/full", CFile::modeCreateReadWriteExclusive)) {
        GTEST_SKIP() << "/dev/full is not available";
    }
    EXPECT_THROW(ConvertDibToGif(block, full), CFileException);
    EXPECT_EQ(block.GetLockCount(), 0);
}

// Run-length data: a simple encoder of runs of one index (RLE8) or of one
// nibble repeated (RLE4), row by row, bottom row first.
Bytes EncodeRuns(const test::Picture& picture) {
    Bytes out;
    for (std::uint32_t r = 0; r < picture.nHeight; ++r) {
        const std::uint8_t* pRow =
            picture.indices.data() + std::size_t{picture.nHeight - 1 - r} * picture.nWidth;
        for (std::uint32_t x = 0; x < picture.nWidth;) {
            std::uint32_t n = 1;
            while (x + n < picture.nWidth && n < 255 && pRow[x + n] == pRow[x]) ++n;
            out.push_back(static_cast<std::uint8_t>(n));
            out.push_back(picture.nDepth == 8 ? pRow[x]
                                              : static_cast<std::uint8_t>(pRow[x] * 0x11));
            x += n;
        }
        out.insert(out.end(), {0, 0});
    }
    out.insert(out.end(), {0, 1});
    return out;
}

Conversion ConvertRle(const test::Picture& shape, const Bytes& encoded) {
    test::DibOptions options;
    options.nCompression = shape.nDepth == 8 ? 1 : 2;
    return Convert(test::MakePackedDibWithRows(shape, encoded, options));
}

TEST(DibToGif, RunLengthRowsAreDecodedFirst) {
    // RLE8, 6 x 3: a run, an absolute run with its pad byte, end of line; a
    // run and a delta (1 right, 1 up); a run cut at the row's end; end.
    test::Picture rle8 = test::RandomPicture(8, 6, 3);
    rle8.indices = {0, 0, 0, 9, 9, 9, 5, 5, 0, 0, 0, 0, 7, 7, 7, 1, 2, 3};
    const Bytes data8{3, 7, 0, 3, 1, 2, 3, 0, 0, 0, 2, 5, 0, 2, 1, 1, 5, 9, 0, 1};
    const Conversion c8 = ConvertRle(rle8, data8);
    ExpectPicture(c8, rle8);
    EXPECT_EQ(ReadLe32(c8.dibAfter.data() + 20), data8.size());  // the stored size stays

    // RLE4, 5 x 2: a run of alternating nibbles; an absolute run cut at the
    // row's end; end of line; an odd absolute run with its pad; the data
    // ends without an end mark.
    test::Picture rle4 = test::RandomPicture(4, 5, 2);
    rle4.indices = {10, 11, 12, 13, 14, 1, 2, 1, 2, 3};
    const Bytes data4{4, 0x12, 0, 3, 0x34, 0x50, 0, 0, 0, 5, 0xAB, 0xCD, 0xE0, 0};
    ExpectPicture(ConvertRle(rle4, data4), rle4);

    // Data cut inside an absolute run, and an early end: the rest is index 0.
    test::Picture cut = test::RandomPicture(8, 4, 2);
    cut.indices = {0, 0, 0, 0, 1, 2, 0, 0};
    ExpectPicture(ConvertRle(cut, {0, 5, 1, 2}), cut);
    cut.indices = {0, 0, 0, 0, 4, 4, 0, 0};
    ExpectPicture(ConvertRle(cut, {2, 4, 0, 1, 9, 9, 9, 9}), cut);

    // Round trips through the run encoder.
    for (int nDepth : {4, 8}) {
        const test::Picture screen = test::ScreenshotPicture(nDepth, 301, 211, 5);
        const Conversion c = ConvertRle(screen, EncodeRuns(screen));
        ExpectPicture(c, screen);
        EXPECT_EQ(c.gif, Convert(test::MakePackedDib(screen)).gif);
    }
}

TEST(DibToGif, MalformedRunLengthDataStaysInsideThePicture) {
    // Deltas far past the picture, runs past row ends, absolute runs longer
    // than the data, and random bytes: each converts to a picture of the
    // right size, and the sanitizer build shows no access outside.
    std::vector<Bytes> streams = {
        {0, 2, 255, 255, 0, 2, 255, 255, 255, 1},
        {255, 1, 255, 2, 255, 3, 0, 0, 255, 4},
        {0, 255, 1, 2, 3},
        {0, 2, 3},
        {0},
        {},
        {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 7, 7},
    };
    std::uint32_t n = 12345;
    for (int i = 0; i < 200; ++i) {
        Bytes random(static_cast<std::size_t>(i * 3 % 97));
        for (auto& b : random) {
            n = n * 1103515245u + 12345u;
            b = static_cast<std::uint8_t>(n >> 16);
        }
        streams.push_back(random);
    }
    for (int nDepth : {4, 8}) {
        const test::Picture shape = test::RandomPicture(nDepth, 7, 5);
        for (const Bytes& data : streams) {
            const Conversion c = ConvertRle(shape, data);
            ASSERT_EQ(c.nResult, 1) << c.strReason;
            ASSERT_TRUE(c.decoded.bOk) << c.decoded.strError;
            EXPECT_EQ(c.decoded.indices.size(), 35u);
        }
    }
}

TEST(DibToGif, RefusesTopDownRunLengthAndHugeRunLengthPictures) {
    test::Picture shape = test::RandomPicture(8, 4, 4);
    test::DibOptions options;
    options.nCompression = 1;
    options.bTopDown = true;
    const Conversion c = Convert(test::MakePackedDibWithRows(shape, {0, 1}, options));
    EXPECT_EQ(c.nResult, 0);
    EXPECT_TRUE(c.gif.empty());

    options.bTopDown = false;
    Bytes huge = test::MakePackedDibWithRows(shape, {0, 1}, options);
    WriteLe32(huge.data() + 4, 65535);
    WriteLe32(huge.data() + 8, 65535);
    const Conversion big = Convert(huge);
    EXPECT_EQ(big.nResult, 0);
    EXPECT_TRUE(big.gif.empty());
}

}  // namespace
}  // namespace vd
