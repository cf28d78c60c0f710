// True-colour bitmaps (24 and 32 bits, plain or with bit fields, stored
// either way up) of at most 256 colours become GIFs of exactly their pixels;
// more colours are refused without touching an earlier GIF.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "gif/BmpConversion.h"
#include "gif/ColourTable.h"
#include "gif/DibLayout.h"
#include "tests/TestSupport.h"
#include "tests/gif/GifTestSupport.h"

namespace vd {
namespace {

using test::Rgb;

struct BitmapKind {
    const char* pszName;
    int nBits;
    bool bTopDown;
    bool bBitFields;
};
constexpr BitmapKind kKinds[] = {
    {"24 bits bottom-up", 24, false, false}, {"24 bits top-down", 24, true, false},
    {"32 bits bottom-up", 32, false, false}, {"32 bits top-down", 32, true, false},
    {"32 bits bit fields", 32, false, true}, {"32 bits bit fields top-down", 32, true, true},
    {"24 bits bit fields", 24, false, true},
};

std::vector<Rgb> FirstAppearances(const std::vector<Rgb>& pixels) {
    std::vector<Rgb> order;
    for (const Rgb& c : pixels) {
        if (std::find(order.begin(), order.end(), c) == order.end()) order.push_back(c);
    }
    return order;
}

// The picture with each pixel repeated nTimes across: runs longer than the
// stretches of pixels that are passed over at once, starting anywhere.
test::TrueColourPicture Widened(const test::TrueColourPicture& picture, std::uint32_t nTimes) {
    test::TrueColourPicture wide{picture.nWidth * nTimes, picture.nHeight, {}};
    for (const Rgb& c : picture.pixels) wide.pixels.insert(wide.pixels.end(), nTimes, c);
    return wide;
}

TEST(TrueColour, UpTo256ColoursArePublishedPixelForPixel) {
    test::CTempDir dir;
    for (const std::size_t nColours : {2u, 16u, 200u, 256u}) {
        const test::TrueColourPicture narrow = test::ColourfulPicture(nColours, 37, 23, 3);
        for (const test::TrueColourPicture& picture : {narrow, Widened(narrow, 11)}) {
            const int nDepth = nColours <= 2 ? 1 : nColours <= 16 ? 4 : 8;
            for (const BitmapKind& kind : kKinds) {
                SCOPED_TRACE(std::to_string(nColours) + " colours, " +
                             std::to_string(picture.nWidth) + " wide, " + kind.pszName);
                test::WriteBytes(dir.File("p.bmp"),
                                 test::MakeBitmapFile(test::MakeTrueColourDib(
                                     picture, kind.nBits, kind.bTopDown, kind.bBitFields)));
                std::string strReason;
                ASSERT_EQ(bConvertBmpToGif(dir.File("p.bmp"), dir.Prefix(), &strReason), 1)
                    << strReason;
                const test::DecodedGif gif = test::DecodeWithGiflib(dir.File("p.gif"));
                ASSERT_TRUE(gif.bOk) << gif.strError;
                EXPECT_EQ(gif.colours.size(), std::size_t{1} << nDepth);
                EXPECT_EQ(test::PixelColours(gif), picture.pixels);
                const std::vector<Rgb> order = FirstAppearances(picture.pixels);
                EXPECT_TRUE(std::equal(order.begin(), order.end(), gif.colours.begin()));
            }
        }
    }
}

// Refusals: more than 256 colours in each kind of bitmap, and bit fields
// other than the standard masks; each leaves the earlier GIF as it was.
TEST(TrueColour, RefusalsSayWhyAndLeaveTheEarlierGif) {
    test::CTempDir dir;
    const test::TrueColourPicture picture = test::ColourfulPicture(257, 37, 23, 4);
    std::vector<std::pair<std::vector<std::uint8_t>, std::string>> cases;
    for (const BitmapKind& kind : kKinds) {
        cases.emplace_back(
            test::MakeTrueColourDib(picture, kind.nBits, kind.bTopDown, kind.bBitFields),
            "257 colours; a GIF holds at most 256");
    }
    cases.emplace_back(test::MakeTrueColourDib(test::ColourfulPicture(2, 4, 4), 32, false, true),
                       "bit fields (red 0xFF00FF");
    cases.back().first[40] = 0xFF;  // red mask 0xFF00FF
    for (const auto& [dib, strWhy] : cases) {
        SCOPED_TRACE(strWhy);
        test::WriteBytes(dir.File("p.bmp"), test::MakeBitmapFile(dib));
        test::WriteText(dir.File("p.gif"), "earlier");
        std::string strReason;
        EXPECT_EQ(bConvertBmpToGif(dir.File("p.bmp"), dir.Prefix(), &strReason), 0);
        EXPECT_NE(strReason.find(strWhy), std::string::npos) << strReason;
        EXPECT_EQ(test::ReadBytes(dir.File("p.gif")),
                  (std::vector<std::uint8_t>{'e', 'a', 'r', 'l', 'i', 'e', 'r'}));
        EXPECT_EQ(test::FolderContents(dir.Path()), (std::vector<std::string>{"p.bmp", "p.gif"}));
    }
}

// Rows handed out from memory, counting how many were asked for.
class CCountingRows final : public CRowSource {
  public:
    CCountingRows(const std::vector<std::uint8_t>& rows, std::uint32_t nStride)
        : m_rows(rows), m_nStride(nStride) {}
    const std::uint8_t* Row(std::uint32_t nRow) override {
        ++m_nAsked;
        return m_rows.data() + std::size_t{nRow} * m_nStride;
    }
    const std::vector<std::uint8_t>& m_rows;
    std::uint32_t m_nStride;
    int m_nAsked = 0;
};

TEST(TrueColour, CountingStopsAtThe257thColour) {
    // 300 colours, 257 of them in the top row: the rows below are not read.
    test::TrueColourPicture picture{300, 50, {}};
    for (std::uint32_t i = 0; i < 300 * 50; ++i) {
        picture.pixels.push_back(
            {static_cast<std::uint8_t>(i % 300), 0, static_cast<std::uint8_t>((i % 300) >> 8)});
    }
    const std::vector<std::uint8_t> dib = test::MakeTrueColourDib(picture, 24, false, false);
    CDibLayout layout;
    ASSERT_TRUE(ReadDibLayout(dib.data(), dib.size(), layout, nullptr));
    const std::vector<std::uint8_t> rows(dib.begin() + 40, dib.end());
    CCountingRows source(rows, 900);
    CColourTable table;
    EXPECT_EQ(CountColours(layout, source, table), 257u);
    EXPECT_EQ(source.m_nAsked, 1);
    EXPECT_EQ(table.GetCount(), 256u);
}

}  // namespace
}  // namespace vd
