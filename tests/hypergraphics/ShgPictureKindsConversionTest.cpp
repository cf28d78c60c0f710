// Publishing true-colour hypergraphics from end to end: the GIF decodes
// (giflib, and Pillow when present) to the source's colours, as the bitmap
// file of the same picture does, and the map holds the hotspots; a refused
// picture (too many colours, a metafile drawing) answers 0 and leaves an
// earlier GIF and map as they were.
#include <string>
#include <vector>

#include "gif/BmpConversion.h"
#include "hypergraphics/ShgConversion.h"
#include "tests/gif/GifTestSupport.h"
#include "tests/hypergraphics/HypergraphicsTestSupport.h"

namespace vd {
namespace {

using test::CShgDescription;
using test::ReadBytes;

class ShgPictureKinds : public test::CPublicationTest {
  protected:
    int Convert(const std::string& strShg) {
        m_strReason.clear();
        return bConvertSHGToGIFMAP(m_strDb, strShg, 7, &m_strReason);
    }
    std::string Text(const std::string& strRelative) {
        const auto bytes = ReadBytes(m_out.Path() / strRelative);
        return {bytes.begin(), bytes.end()};
    }
    std::string m_strDb = MakeDatabase("project.db");
    std::string m_strReason;
};

CShgDescription TrueColour(const test::TrueColourPicture& picture, std::uint16_t nBits,
                           std::uint8_t nPacking) {
    CShgDescription desc;
    desc.nPacking = nPacking;
    desc.nBitCount = nBits;
    desc.nWidth = picture.nWidth;
    desc.nHeight = picture.nHeight;
    desc.pixels = test::PackTrueColourRows(picture, nBits, false);
    desc.hotspots = {{0xE3, 2, 3, 10, 5, "!Welcome", "welcome_id"}};
    return desc;
}

TEST_F(ShgPictureKinds, TrueColourPicturesArePublishedExactly) {
    for (const std::size_t nColours : {2u, 16u, 200u, 256u}) {
        const test::TrueColourPicture picture = test::ColourfulPicture(nColours, 29, 17, 9);
        for (const std::uint16_t nBits : {24, 32}) {
            SCOPED_TRACE(std::to_string(nColours) + " colours, " + std::to_string(nBits) + " bits");
            ASSERT_EQ(Convert(WriteShg("deep.shg", TrueColour(picture, nBits, 3))), 1)
                << m_strReason;
            const test::DecodedGif gif = test::DecodeWithGiflib(m_out.Path() / "images/deep.gif");
            ASSERT_TRUE(gif.bOk) << gif.strError;
            EXPECT_EQ(test::PixelColours(gif), picture.pixels);
            EXPECT_NE(Text("maps/deep.map").find("COORDS=\"2,3,12,8\""), std::string::npos);
            // The same GIF as the bitmap file of the same picture gives.
            test::WriteBytes(m_work.File("deep.bmp"), test::MakeBitmapFile(test::MakeTrueColourDib(
                                                          picture, nBits, false, false)));
            ASSERT_EQ(bConvertBmpToGif(m_work.File("deep.bmp"), m_work.Prefix(), nullptr), 1);
            EXPECT_EQ(ReadBytes(m_work.File("deep.gif")),
                      ReadBytes(m_out.Path() / "images/deep.gif"));
            std::vector<test::Rgb> pillow;
            if (test::DecodeWithPillow(m_out.Path() / "images/deep.gif", pillow)) {
                EXPECT_EQ(pillow, picture.pixels);
            }
        }
    }
}

TEST_F(ShgPictureKinds, RefusalsLeaveTheEarlierGifAndMapAsTheyWere) {
    const CShgDescription few = TrueColour(test::ColourfulPicture(16, 29, 17), 24, 1);
    CShgDescription polygons;
    polygons.nType = 8;
    polygons.nWidth = polygons.nHeight = 1000;
    polygons.pixels = test::BuildMetafile(std::vector<std::vector<std::uint8_t>>(
        80, test::MetafileRecord(0x0324, {3, 0, 0, 10, 0, 10, 10})));
    const struct {
        const char* pszWhat;
        CShgDescription desc;
        const char* pszReason;
    } cases[] = {
        {"257 colours, 24 bits", TrueColour(test::ColourfulPicture(257, 29, 17), 24, 2),
         "257 colours; a GIF holds at most 256"},
        {"a drawing", polygons, "metafile draws 80 polygons"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszWhat);
        ASSERT_EQ(Convert(WriteShg("p.shg", few)), 1) << m_strReason;
        const auto gif = ReadBytes(m_out.Path() / "images/p.gif");
        const auto map = ReadBytes(m_out.Path() / "maps/p.map");
        EXPECT_EQ(Convert(WriteShg("p.shg", c.desc)), 0);
        EXPECT_NE(m_strReason.find(c.pszReason), std::string::npos) << m_strReason;
        EXPECT_EQ(ReadBytes(m_out.Path() / "images/p.gif"), gif);
        EXPECT_EQ(ReadBytes(m_out.Path() / "maps/p.map"), map);
        EXPECT_EQ(test::FilesBelow(m_out.Path()),
                  (std::vector<std::string>{"images/", "images/p.gif", "maps/", "maps/p.map"}));
    }
}

}  // namespace
}  // namespace vd
