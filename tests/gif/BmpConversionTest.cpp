// The bitmap conversion through the exported operation and the tool: names,
// what is created on each failure, overwriting, write errors.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "gif/BmpConversion.h"
#include "tests/TestSupport.h"
#include "tests/gif/GifTestSupport.h"
#include "vellumdesk.h"

namespace vd {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

const test::Picture& SamplePicture() {
    static const test::Picture picture = test::ScreenshotPicture(4, 37, 21, 4);
    return picture;
}

Bytes SampleBitmap() { return test::MakeBitmapFile(test::MakePackedDib(SamplePicture())); }

using test::FolderContents;

TEST(BmpConversion, ConvertsTheFourExtensions) {
    for (const std::string strName : {"x.bmp", "x.BMP", "x.dib", "x.DIB"}) {
        SCOPED_TRACE(strName);
        test::CTempDir source;
        test::CTempDir destination;
        test::WriteBytes(source.File(strName), SampleBitmap());
        EXPECT_EQ(::bConvertBmpToGif(source.File(strName).c_str(), destination.Prefix().c_str()),
                  1);
        EXPECT_EQ(FolderContents(destination.Path()), std::vector<std::string>{"x.gif"});
        const test::DecodedGif gif = test::DecodeWithGiflib(destination.File("x.gif"));
        ASSERT_TRUE(gif.bOk) << gif.strError;
        EXPECT_EQ(gif.indices, SamplePicture().indices);
    }
}

TEST(BmpConversion, OtherNamesCreateNothing) {
    for (const std::string strName : {"x.Bmp", "x.bmpx", "x.gif", "bmp", "x_bmp"}) {
        SCOPED_TRACE(strName);
        test::CTempDir source;
        test::CTempDir destination;
        test::WriteBytes(source.File(strName), SampleBitmap());
        std::string strReason;
        EXPECT_EQ(vd::bConvertBmpToGif(source.File(strName), destination.Prefix(), &strReason), 0);
        EXPECT_NE(strReason.find(".BMP, .bmp, .DIB or .dib"), std::string::npos) << strReason;
        EXPECT_TRUE(FolderContents(destination.Path()).empty());
    }
}

TEST(BmpConversion, NamesTheGifAfterTheBitmap) {
    EXPECT_EQ(GifNameForBitmap("C:\\pics\\Map.bmp", "D:\\pub\\img\\"), "D:\\pub\\img\\Map.gif");
    EXPECT_EQ(GifNameForBitmap("Map.bmp", "out\\"), "out\\Map.gif");
    EXPECT_EQ(GifNameForBitmap("Map.bmp", "D:\\pub"), "D:\\pubMap.gif");
    EXPECT_EQ(GifNameForBitmap("/home/u/pics/Map.DIB", "/tmp/"), "/tmp/Map.gif");
    EXPECT_EQ(GifNameForBitmap("a.b.c.bmp", ""), "a.b.c.gif");

    // A prefix without a trailing separator is joined as it stands.
    test::CTempDir dir;
    test::WriteBytes(dir.File("x.bmp"), SampleBitmap());
    EXPECT_EQ(::bConvertBmpToGif(dir.File("x.bmp").c_str(), (dir.Prefix() + "pre-").c_str()), 1);
    EXPECT_TRUE(fs::exists(dir.File("pre-x.gif")));
}

TEST(BmpConversion, OverwritesAnExistingGif) {
    test::CTempDir dir;
    test::WriteBytes(dir.File("x.bmp"), SampleBitmap());
    test::WriteText(dir.File("x.gif"), std::string(100000, 'z'));
    EXPECT_EQ(::bConvertBmpToGif(dir.File("x.bmp").c_str(), dir.Prefix().c_str()), 1);
    const test::GifLayout layout = test::ParseGif(test::ReadBytes(dir.File("x.gif")));
    EXPECT_TRUE(layout.bOk) << layout.strError;
}

TEST(BmpConversion, RefusedBitmapLeavesAnEarlierGifAsItWas) {
    // 24 bits per pixel and 257 colours, one row: more than a GIF holds.
    Bytes dib = test::MakePackedDib(test::RandomPicture(8, 257, 1));
    dib[14] = 24;
    dib.resize(40 + 257 * 3 + 1);
    for (std::size_t i = 0; i < 257; ++i) dib[40 + 3 * i] = static_cast<std::uint8_t>(i);
    dib[40 + 3 * 256 + 1] = 1;
    test::CTempDir dir;
    test::WriteBytes(dir.File("deep.bmp"), test::MakeBitmapFile(dib));
    test::WriteText(dir.File("deep.gif"), "earlier");
    std::string strReason;
    EXPECT_EQ(vd::bConvertBmpToGif(dir.File("deep.bmp"), dir.Prefix(), &strReason), 0);
    EXPECT_NE(strReason.find("257 colours; a GIF holds at most 256"), std::string::npos)
        << strReason;
    EXPECT_EQ(FolderContents(dir.Path()).size(), 2u);  // no temporary left
    const auto earlier = test::ReadBytes(dir.File("deep.gif"));
    EXPECT_EQ(std::string(earlier.begin(), earlier.end()), "earlier");
}

TEST(BmpConversion, FailuresBeforeConvertingCreateNothing) {
    test::CTempDir dir;
    test::CTempDir destination;
    test::WriteBytes(dir.File("magic.bmp"), {'M', 'B', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    test::WriteBytes(dir.File("short.bmp"), {'B', 'M', 0, 0});
    fs::create_directory(dir.File("folder.bmp"));
    test::WriteBytes(dir.File("good.bmp"), SampleBitmap());
    struct Case {
        std::string strSource, strDestination, strReason;
    };
    const Case cases[] = {
        {dir.File("missing.bmp"), destination.Prefix(), "cannot open"},
        {dir.File("magic.bmp"), destination.Prefix(), "not a bitmap file"},
        {dir.File("short.bmp"), destination.Prefix(), "not a bitmap file"},
        {dir.File("folder.bmp"), destination.Prefix(), "cannot open"},
        {dir.File("good.bmp"), destination.Prefix() + "no/such/folder/", "cannot create"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.strSource);
        std::string strReason;
        EXPECT_EQ(vd::bConvertBmpToGif(c.strSource, c.strDestination, &strReason), 0);
        EXPECT_NE(strReason.find(c.strReason), std::string::npos) << strReason;
        EXPECT_EQ(::bConvertBmpToGif(c.strSource.c_str(), c.strDestination.c_str()), 0);
        EXPECT_TRUE(FolderContents(destination.Path()).empty());
    }
    EXPECT_EQ(::bConvertBmpToGif(nullptr, destination.Prefix().c_str()), 0);
    EXPECT_EQ(::bConvertBmpToGif(dir.File("good.bmp").c_str(), nullptr), 0);
}

TEST(BmpConversion, AWriteErrorLeavesAnEarlierGifAsItWas) {
    test::CTempDir dir;
    test::WriteBytes(dir.File("x.bmp"),
                     test::MakeBitmapFile(test::MakePackedDib(test::RandomPicture(8, 300, 300))));
    test::WriteText(dir.File("x.gif"), "earlier");
    // The disk is full after 4 KiB: the GIF cannot be written whole.
    const int nChild = test::RunWithFileSizeLimit(4096, [&] {
        std::string strReason;
        const int nResult = vd::bConvertBmpToGif(dir.File("x.bmp"), dir.Prefix(), &strReason);
        return nResult == 0 && strReason.find("cannot write") != std::string::npos ? 0 : 1;
    });
    EXPECT_EQ(nChild, 0);
    EXPECT_EQ(FolderContents(dir.Path()), (std::vector<std::string>{"x.bmp", "x.gif"}));
    const auto earlier = test::ReadBytes(dir.File("x.gif"));
    EXPECT_EQ(std::string(earlier.begin(), earlier.end()), "earlier");
}

TEST(BmpConversion, ALinkAtTheGifNameIsReplacedNotFollowed) {
    // x.gif points at the bitmap itself: converting must not overwrite it.
    test::CTempDir dir;
    const Bytes bitmap = SampleBitmap();
    test::WriteBytes(dir.File("x.bmp"), bitmap);
    fs::create_symlink(dir.File("x.bmp"), dir.File("x.gif"));
    EXPECT_EQ(::bConvertBmpToGif(dir.File("x.bmp").c_str(), dir.Prefix().c_str()), 1);
    EXPECT_FALSE(fs::is_symlink(dir.File("x.gif")));
    EXPECT_EQ(test::ReadBytes(dir.File("x.bmp")), bitmap);
    EXPECT_TRUE(test::ParseGif(test::ReadBytes(dir.File("x.gif"))).bOk);
}

TEST(BmpConversion, ToolConvertsAndReportsFailures) {
    const fs::path tool = fs::path(VD_BINARY_DIR) / "vellumdesk";
    if (!fs::exists(tool)) GTEST_SKIP() << "the vellumdesk tool is not built";
    test::CTempDir dir;
    test::WriteBytes(dir.File("x.bmp"), SampleBitmap());
    // Runs the tool with its arguments each put in quotes; answers the exit status.
    auto run = [&](const std::vector<std::string>& args) {
        std::string command = tool.string();
        command += " bmp2gif";
        for (const std::string& arg : args) command.append(" '").append(arg).append("'");
        command.append(" >/dev/null 2>").append(dir.File("stderr.txt"));
        const int nStatus = std::system(command.c_str());
        return WIFEXITED(nStatus) ? WEXITSTATUS(nStatus) : -1;
    };
    EXPECT_EQ(run({dir.File("x.bmp"), dir.Prefix()}), 0);
    EXPECT_TRUE(fs::exists(dir.File("x.gif")));
    EXPECT_EQ(run({dir.File("none.bmp"), dir.Prefix()}), 1);
    const Bytes error = test::ReadBytes(dir.File("stderr.txt"));
    const std::string strError(error.begin(), error.end());
    EXPECT_EQ(strError.rfind("vellumdesk: bmp2gif: cannot open", 0), 0u) << strError;
    EXPECT_EQ(run({dir.File("x.bmp")}), 2);
}

}  // namespace
}  // namespace vd
