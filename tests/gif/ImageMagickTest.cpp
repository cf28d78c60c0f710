// An independent check of the encoder: for 8-bit pictures with 256-entry
// colour tables, ImageMagick's GIF writer follows the same design (code 4095
// assigned, then the clear code) and so writes the same LZW codes; only the
// sub-block framing differs.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/TestSupport.h"
#include "tests/gif/GifTestSupport.h"
#include "vellumdesk.h"

namespace vd {
namespace {

TEST(ImageMagick, WritesTheSameCodes) {
    const std::string strConvert = test::FindProgram({"convert"}, "-version");
    if (strConvert.empty()) GTEST_SKIP() << "ImageMagick's convert is not available";
    std::vector<test::Picture> pictures = {
        test::RandomPicture(8, 101, 67, 3),
        test::RandomPicture(8, 640, 480, 4),  // many clear codes
        test::ScreenshotPicture(8, 320, 200, 5),
        test::ScreenshotPicture(8, 1024, 768, 6),
    };
    for (const test::Picture& picture : pictures) {
        SCOPED_TRACE(std::to_string(picture.nWidth) + " x " + std::to_string(picture.nHeight));
        test::CTempDir dir;
        test::WriteBytes(dir.File("p.bmp"), test::MakeBitmapFile(test::MakePackedDib(picture)));
        ASSERT_EQ(::bConvertBmpToGif(dir.File("p.bmp").c_str(), dir.Prefix().c_str()), 1);
        const std::string command =
            strConvert + " '" + dir.File("p.bmp") + "' '" + dir.File("im.gif") + "'";
        ASSERT_EQ(std::system(command.c_str()), 0);

        std::vector<test::Rgb> ourColours;
        std::vector<test::Rgb> theirColours;
        const test::CodeStream ours =
            test::ReadCodes(test::FindImageData(test::ReadBytes(dir.File("p.gif")), &ourColours));
        const test::CodeStream theirs = test::ReadCodes(
            test::FindImageData(test::ReadBytes(dir.File("im.gif")), &theirColours));
        ASSERT_TRUE(ours.bOk) << ours.strError;
        ASSERT_TRUE(theirs.bOk) << theirs.strError;
        // The comparison holds only when ImageMagick kept the colour table.
        ASSERT_EQ(theirColours, ourColours);
        EXPECT_EQ(theirs.pixels, picture.indices);
        EXPECT_EQ(theirs.nMinCodeSize, ours.nMinCodeSize);
        EXPECT_TRUE(theirs.codes == ours.codes)
            << ours.codes.size() << " codes against " << theirs.codes.size();
    }
}

}  // namespace
}  // namespace vd
