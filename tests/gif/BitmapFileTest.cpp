// Bitmap files converted with their rows read from the file as needed give
// the same GIF as the whole packed DIB loaded into memory; the row windows
// hand out the right rows in either direction and notice a file cut short.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "common/Exceptions.h"
#include "common/File.h"
#include "gif/BitmapFile.h"
#include "gif/DibToGif.h"
#include "gif/FileRows.h"
#include "gif/PackedDib.h"
#include "tests/TestSupport.h"
#include "tests/gif/GifTestSupport.h"

namespace vd {
namespace {

using Bytes = std::vector<std::uint8_t>;

// The GIF of a bitmap file by way of CBitmapFile or of the whole packed DIB;
// "refused: ..." when the bitmap is refused.
std::string Convert(const test::CTempDir& dir, const Bytes& bitmap, bool bWhole) {
    test::WriteBytes(dir.File("in.bmp"), bitmap);
    CFile source, target;
    EXPECT_TRUE(source.Open(dir.File("in.bmp"), CFile::modeReadShareDenyWrite));
    EXPECT_TRUE(target.Open(dir.File("out.gif"), CFile::modeCreateReadWriteExclusive));
    std::string strReason;
    int nResult = 0;
    if (bWhole) {
        CMemoryBlock hDib = LoadPackedDib(source);
        if (!hDib) return "not a bitmap";
        nResult = ConvertDibToGif(hDib, target, &strReason);
    } else {
        CBitmapFile file;
        if (!file.Load(source)) return "not a bitmap";
        nResult = file.ConvertToGif(target, &strReason);
    }
    target.Close();
    if (nResult != 1) return "refused: " + strReason;
    const Bytes gif = test::ReadBytes(dir.File("out.gif"));
    return std::string(gif.begin(), gif.end());
}

TEST(BitmapFile, WritesTheSameGifAsTheWholePackedDib) {
    const test::Picture wide = test::RandomPicture(8, 70000 / 3, 40, 7);  // several windows
    const test::Picture small = test::ScreenshotPicture(4, 33, 9, 2);
    test::DibOptions topDown;
    topDown.bTopDown = true;
    test::DibOptions manyColours;  // a table of 300 entries, rows after it
    manyColours.nClrUsed = 300;
    const Bytes plain = test::MakeBitmapFile(test::MakePackedDib(small));
    // The last row reaching into the block's zero bytes, and no longer
    // lying in the block.
    const Bytes cutShort(plain.begin(), plain.end() - 10);
    const Bytes tooShort(plain.begin(), plain.end() - 15);
    Bytes rle = plain;  // RLE4 rows, loaded whole
    rle[30] = 2;
    const Bytes cases[] = {
        test::MakeBitmapFile(test::MakePackedDib(wide)),
        test::MakeBitmapFile(test::MakePackedDib(wide, topDown)),
        test::MakeBitmapFile(test::MakePackedDib(test::RandomPicture(1, 333, 5, 3), topDown)),
        test::MakeBitmapFile(test::MakePackedDib(test::RandomPicture(8, 5, 3, 3), manyColours)),
        plain,
        cutShort,
        tooShort,
        rle,
        Bytes(plain.begin(), plain.begin() + 30),  // header cut short
        Bytes{'B', 'M', 0, 0},
    };
    test::CTempDir dir;
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(Convert(dir, cases[i], false), Convert(dir, cases[i], true));
    }
    EXPECT_EQ(Convert(dir, cases[5], false).substr(0, 6), "GIF87a");
    EXPECT_EQ(Convert(dir, cases[6], false).substr(0, 8), "refused:");
}

TEST(FileRows, HandsOutEveryRowInEitherDirection) {
    constexpr std::uint32_t kStride = CFileRows::kWindowBytes / 2 + 4;  // one row per window
    constexpr std::uint32_t kSmallStride = 8;                           // all rows in one
    for (const std::uint32_t nStride : {kStride, kSmallStride}) {
        const std::uint32_t nRows = 5;
        Bytes bytes(3 + std::size_t{nStride} * nRows);
        for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 7);
        test::CTempDir dir;
        test::WriteBytes(dir.File("rows"), bytes);
        for (const bool bDownwards : {true, false}) {
            SCOPED_TRACE(testing::Message() << nStride << (bDownwards ? " down" : " up"));
            CFile file;
            ASSERT_TRUE(file.Open(dir.File("rows"), CFile::modeReadShareDenyWrite));
            CFileRows rows(file, 3, nStride, nRows, bytes.size());
            for (std::uint32_t n = 0; n < nRows; ++n) {
                const std::uint32_t nRow = bDownwards ? nRows - 1 - n : n;
                const std::uint8_t* pRow = rows.Row(nRow);
                ASSERT_TRUE(std::equal(pRow, pRow + nStride, bytes.begin() + 3 + nRow * nStride));
            }
        }
    }
}

TEST(FileRows, ZeroPastTheStatedEndAndRaiseWhenTheFileIsShorter) {
    test::CTempDir dir;
    test::WriteBytes(dir.File("rows"), Bytes(20, 0xAB));
    CFile file;
    ASSERT_TRUE(file.Open(dir.File("rows"), CFile::modeReadShareDenyWrite));
    CFileRows rows(file, 0, 8, 3, 20);  // the last 4 bytes lie past the end
    const std::uint8_t* pRow = rows.Row(2);
    EXPECT_EQ(Bytes(pRow, pRow + 8), (Bytes{0xAB, 0xAB, 0xAB, 0xAB, 0, 0, 0, 0}));
    CFileRows shrunk(file, 0, 8, 3, 24);  // the file was 24 bytes long when asked
    EXPECT_THROW(shrunk.Row(2), CFileException);
}

}  // namespace
}  // namespace vd
