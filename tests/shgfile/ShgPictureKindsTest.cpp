// True-colour pictures and metafiles that wrap one bitmap, in every packing:
// read into the packed DIB that becomes a GIF of exactly their colours, with
// hotspots scaled from metafile units to pixels; every other metafile, and
// every malformed one, refused with a reason.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/gif/GifTestSupport.h"
#include "tests/shgfile/ShgBuilder.h"
#include "tests/shgfile/ShgTestUtil.h"

namespace vd::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(ShgPictureKinds, TrueColourPicturesOfEachPackingKeepTheirColours) {
    for (const std::size_t nColours : {2u, 16u, 200u, 256u, 257u}) {
        const TrueColourPicture picture = ColourfulPicture(nColours, 37, 23, 7);
        for (const std::uint16_t nBits : {24, 32}) {
            for (const std::uint8_t nPacking : {0, 1, 2, 3}) {
                SCOPED_TRACE(std::to_string(nColours) + " colours, " + std::to_string(nBits) +
                             " bits, packing " + std::to_string(nPacking));
                CShgDescription desc;
                desc.nPacking = nPacking;
                desc.nBitCount = nBits;
                desc.nWidth = picture.nWidth;
                desc.nHeight = picture.nHeight;
                desc.pixels = PackTrueColourRows(picture, nBits, false);
                CShgReadResult result;
                ReadShgBytes(BuildShg(desc), result);
                EXPECT_EQ(result.m_header.nDistinctColours, nColours);
                if (nColours > 256) {
                    EXPECT_FALSE(result.m_block);
                    EXPECT_NE(result.m_strReason.find("257 colours; a GIF holds at most 256"),
                              std::string::npos);
                    continue;
                }
                ASSERT_TRUE(result.m_block) << result.m_strReason;
                EXPECT_EQ(PublishedColours(result.m_block), picture.pixels);
            }
        }
    }
}

// A metafile picture of the given records with the set-up records a help
// tool writes around them.
CShgDescription MetafilePicture(const std::vector<Bytes>& records, std::uint8_t nPacking = 2,
                                std::uint16_t nExtentX = 0, std::uint16_t nExtentY = 0) {
    std::vector<Bytes> all = {MetafileRecord(0x0103, {8}), MetafileRecord(0x020B, {0, 0})};
    if (nExtentX != 0) all.push_back(MetafileRecord(0x020C, {nExtentY, nExtentX}));
    all.push_back(MetafileRecord(0x0107, {4, 0}));
    all.insert(all.end(), records.begin(), records.end());
    all.push_back(MetafileRecord(0x0107, {1, 0}));
    CShgDescription desc;
    desc.nType = 8;
    desc.nPacking = nPacking;
    desc.nWidth = 17018;  // a claimed size no memory is taken for
    desc.nHeight = 17018;
    desc.pixels = BuildMetafile(all);
    return desc;
}

// Run-length rows of an indexed picture: runs of one index (at 4 bits, one
// nibble twice), each row ended, bottom row first.
Bytes EncodeRle(const Picture& picture) {
    Bytes out;
    for (std::uint32_t nRow = picture.nHeight; nRow-- > 0;) {
        const std::uint8_t* p = picture.indices.data() + std::size_t{nRow} * picture.nWidth;
        for (std::uint32_t x = 0; x < picture.nWidth;) {
            std::uint32_t n = 1;
            while (x + n < picture.nWidth && n < 255 && p[x + n] == p[x]) ++n;
            out.push_back(static_cast<std::uint8_t>(n));
            out.push_back(picture.nDepth == 4 ? static_cast<std::uint8_t>(p[x] * 17) : p[x]);
            x += n;
        }
        out.insert(out.end(), {0, 0});
    }
    out.insert(out.end(), {0, 1});
    return out;
}

std::vector<Rgb> ColoursOf(const Picture& picture) {
    std::vector<Rgb> colours;
    for (const std::uint8_t nIndex : picture.indices) colours.push_back(picture.palette[nIndex]);
    return colours;
}

TEST(ShgPictureKinds, MetafilesOfOneBitmapArePublishedAsThatBitmap) {
    const Picture four = ScreenshotPicture(4, 41, 19, 2);
    const Picture eight = RandomPicture(8, 30, 12, 3);
    const Picture one = RandomPicture(1, 19, 7, 4);
    const TrueColourPicture deep = ColourfulPicture(200, 33, 9, 5);
    DibOptions rle4{false, 0, -1, 2};
    DibOptions rle8{false, 0, -1, 1};
    struct Case {
        const char* pszWhat;
        Bytes record;
        std::vector<Rgb> expected;
    } cases[] = {
        {"STRETCHDIB, 4 bits", BitmapRecord(0x0F43, MakePackedDib(four), 41, 19, 900, 400),
         ColoursOf(four)},
        {"DIBSTRETCHBLT, 8 bits", BitmapRecord(0x0B41, MakePackedDib(eight), 30, 12, 30, 12),
         ColoursOf(eight)},
        {"DIBBITBLT, 1 bit", BitmapRecord(0x0940, MakePackedDib(one), 19, 7, 0, 0), ColoursOf(one)},
        {"STRETCHDIB, RLE4",
         BitmapRecord(0x0F43, MakePackedDibWithRows(four, EncodeRle(four), rle4), 41, 19, 41, 19),
         ColoursOf(four)},
        {"DIBSTRETCHBLT, RLE8",
         BitmapRecord(0x0B41, MakePackedDibWithRows(eight, EncodeRle(eight), rle8), 30, 12, 1, 1),
         ColoursOf(eight)},
        {"STRETCHDIB, 24 bits",
         BitmapRecord(0x0F43, MakeTrueColourDib(deep, 24, false, false), 33, 9, 33, 9),
         deep.pixels},
        {"DIBBITBLT, 32 bits with bit fields",
         BitmapRecord(0x0940, MakeTrueColourDib(deep, 32, false, true), 33, 9, 0, 0), deep.pixels},
    };
    for (const Case& c : cases) {
        for (const std::uint8_t nPacking : {0, 1, 2, 3}) {
            SCOPED_TRACE(std::string(c.pszWhat) + ", packing " + std::to_string(nPacking));
            CShgReadResult result;
            ReadShgBytes(BuildShg(MetafilePicture({c.record}, nPacking)), result);
            ASSERT_TRUE(result.m_block) << result.m_strReason;
            EXPECT_TRUE(result.m_header.IsMetafile());
            EXPECT_EQ(PublishedColours(result.m_block), c.expected);
        }
    }
}

TEST(ShgPictureKinds, HotspotsAreScaledFromMetafileUnitsToPixels) {
    const Bytes bitmap =
        BitmapRecord(0x0F43, MakePackedDib(RandomPicture(4, 40, 30)), 40, 30, 500, 300);
    // 1000 x 600 units over 40 x 30 pixels: x by 0.04, y by 0.05, rounded.
    CShgDescription desc = MetafilePicture({bitmap}, 1, 1000, 600);
    desc.hotspots = {{0xE3, 130, 70, 260, 310, "!a", "t"}, {0xE2, 0, 0, 1000, 600, "!b", "u"}};
    CShgReadResult result;
    ReadShgBytes(BuildShg(desc), result);
    ASSERT_TRUE(result.m_block) << result.m_strReason;
    ASSERT_EQ(result.m_list.GetCount(), 2u);
    const CArea* pFirst = *result.m_list.begin();
    EXPECT_EQ(pFirst->m_rect, (CRect{5, 4, 16, 19}));
    EXPECT_EQ(pFirst->m_points[1], (CPoint{16, 19}));
    EXPECT_EQ((*++result.m_list.begin())->m_rect, (CRect{0, 0, 40, 30}));

    // Without a window extent, the extent the bitmap is drawn at.
    desc = MetafilePicture({bitmap}, 0);
    desc.hotspots = {{0xE3, 250, 150, 250, 150, "!a", "t"}};
    CShgReadResult unscaled;  // a fresh list: the reader does not own areas
    ReadShgBytes(BuildShg(desc), unscaled);
    ASSERT_TRUE(unscaled.m_block) << unscaled.m_strReason;
    EXPECT_EQ((*unscaled.m_list.begin())->m_rect, (CRect{20, 15, 40, 30}));
}

TEST(ShgPictureKinds, OtherAndMalformedMetafilesAreRefused) {
    const Picture four = RandomPicture(4, 8, 4);
    const Bytes dib = MakePackedDib(four);
    const Bytes bitmap = BitmapRecord(0x0F43, dib, 8, 4, 8, 4);
    const Bytes polygon = MetafileRecord(0x0324, {3, 0, 0, 10, 0, 10, 10});
    const Bytes text = MetafileRecord(0x0A32, {5, 5, 2, 0}, Bytes{'h', 'i'});
    std::vector<Bytes> polygons(80, polygon);
    Bytes cutDib = BitmapRecord(0x0F43, Bytes(dib.begin(), dib.end() - 10), 8, 4, 8, 4);
    Bytes rleCut = BitmapRecord(
        0x0F43, MakePackedDibWithRows(four, EncodeRle(four), {false, 0, 1000, 2}), 8, 4, 8, 4);
    Bytes palette = bitmap;
    palette[10] = 1;  // DIB_PAL_COLORS
    Bytes sizeZero = BuildShg(MetafilePicture({bitmap}, 0));
    const auto setSize = [](Bytes file, std::uint32_t nWords) {
        const std::size_t nAt = file.size() - 6 - 10;  // the second SETSTRETCHBLTMODE
        for (int i = 0; i < 4; ++i) file[nAt + i] = static_cast<std::uint8_t>(nWords >> (8 * i));
        return file;
    };
    CShgDescription notMetafile = MetafilePicture({bitmap}, 0);
    notMetafile.pixels[0] = 3;
    Bytes noEnd = BuildShg(MetafilePicture({bitmap}, 0));
    noEnd.erase(noEnd.end() - 6, noEnd.end());  // without its end record
    const struct {
        const char* pszWhat;
        Bytes file;
        const char* pszReason;
    } cases[] = {
        {"80 polygons", BuildShg(MetafilePicture(polygons)), "metafile draws 80 polygons"},
        {"text over a bitmap", BuildShg(MetafilePicture({bitmap, text, text})),
         "metafile draws 1 bitmap and 2 text strings"},
        {"two bitmaps", BuildShg(MetafilePicture({bitmap, bitmap})), "metafile draws 2 bitmaps"},
        {"set-up records only", BuildShg(MetafilePicture({})), "metafile draws nothing"},
        {"unknown records", BuildShg(MetafilePicture({bitmap, MetafileRecord(0x0999, {})})),
         "1 bitmap and 1 record of unknown kind 0x0999"},
        {"a blit without a bitmap",
         BuildShg(MetafilePicture({MetafileRecord(0x0940, {0x20, 0xCC, 0, 0, 4, 8, 0, 0, 0})})),
         "metafile draws 1 pattern fill"},
        {"another raster operation",
         BuildShg(MetafilePicture({BitmapRecord(0x0F43, dib, 8, 4, 8, 4, 0x00EE0086)})),
         "raster operation 0x00EE0086"},
        {"part of the bitmap", BuildShg(MetafilePicture({BitmapRecord(0x0F43, dib, 7, 4, 8, 4)})),
         "only a part (7 x 4 at 0,0) of its 8 x 4 bitmap"},
        {"palette colours", BuildShg(MetafilePicture({palette})), "indices into a palette"},
        {"bitmap cut short", BuildShg(MetafilePicture({cutDib})), "rows do not lie inside"},
        {"run-length bitmap cut short", BuildShg(MetafilePicture({rleCut})), "cut short"},
        {"record of size 0", setSize(sizeZero, 0), "claims 0 words"},
        {"record past the end", setSize(sizeZero, 9), "do not lie inside the metafile"},
        {"no end record", noEnd, "no end record"},
        {"not a metafile", BuildShg(notMetafile), "not a Windows metafile"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszWhat);
        CShgReadResult result;
        ReadShgBytes(c.file, result);
        EXPECT_FALSE(result.m_block);
        EXPECT_NE(result.m_strReason.find(c.pszReason), std::string::npos) << result.m_strReason;
        EXPECT_FALSE(result.m_header.strMetafileRecords.empty());
    }
}

}  // namespace
}  // namespace vd::test
