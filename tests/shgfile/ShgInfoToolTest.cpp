// The tool's shg-info command, run as a user would.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "tests/TestSupport.h"
#include "tests/shgfile/ShgBuilder.h"

namespace vd::test {
namespace {

struct CToolRun {
    int nExit = -1;
    std::string strOut;
    std::string strErr;
};

// The text in single quotes for the shell (built with appends, which keep
// GCC 12's -Wrestrict quiet).
std::string Quote(const std::string& strText) {
    std::string strQuoted;
    strQuoted += '\'';
    strQuoted += strText;
    strQuoted += '\'';
    return strQuoted;
}

std::string Slurp(const std::string& strPath) {
    std::ifstream in(strPath, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class ShgInfoToolTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!std::filesystem::exists(std::string(VD_BINARY_DIR) + "/vellumdesk")) {
            GTEST_SKIP() << "the vellumdesk tool was not built";
        }
    }

    // Runs "vellumdesk shg-info ARGS" (ARGS already quoted for the shell).
    CToolRun ShgInfo(const std::string& strArgs) {
        const std::string strOut = m_dir.File("stdout.txt");
        const std::string strErr = m_dir.File("stderr.txt");
        std::string strCommand = Quote(std::string(VD_BINARY_DIR) + "/vellumdesk");
        strCommand += " shg-info ";
        strCommand += strArgs;
        strCommand += " >";
        strCommand += Quote(strOut);
        strCommand += " 2>";
        strCommand += Quote(strErr);
        const int nStatus = std::system(strCommand.c_str());
        CToolRun run;
        run.nExit = WIFEXITED(nStatus) ? WEXITSTATUS(nStatus) : -1;
        run.strOut = Slurp(strOut);
        run.strErr = Slurp(strErr);
        return run;
    }

    CTempDir m_dir;
};

TEST_F(ShgInfoToolTest, PrintsThePictureAndOneLinePerHotspot) {
    CShgDescription desc;
    desc.nPacking = 2;
    desc.nBitCount = 4;
    desc.nWidth = 30;
    desc.nHeight = 20;
    desc.nColoursUsed = 5;
    desc.colourTable.assign(20, 0x40);
    desc.pixels.assign(RowBytes(30, 4) * 20, 0x12);
    desc.hotspots = {{0xE6, 1, 2, 3, 4, "!Pop \"up\"", "popup"},
                     {0xE3, 10, 0, 20, 5, "!Jump", "topic"},
                     {0xC8, 0, 10, 30, 10, "Mac\tro", "Exec(1)"}};
    const std::string strPath = m_dir.File("picture.shg");
    WriteBytes(strPath, BuildShg(desc));

    const CToolRun run = ShgInfo(Quote(strPath));
    EXPECT_EQ(run.nExit, 0) << run.strErr;
    EXPECT_EQ(run.strOut,
              "picture: 30 x 20 pixels, 4 bits per pixel, 5 colours, packing 2 (LZ77)\n"
              "hotspots: 3\n"
              "popup invisible 1,2,4,6 name \"!Pop \\\"up\\\"\" target \"popup\"\n"
              "jump visible 10,0,30,5 name \"!Jump\" target \"topic\"\n"
              "macro visible 0,10,30,20 name \"Mac\\x09ro\" target \"Exec(1)\"\n");
    EXPECT_EQ(run.strErr, "");
}

TEST_F(ShgInfoToolTest, ShowsA24BitPictureWithItsHotspotsAndWhyItCannotBePublished) {
    // 257 colours, one row: more than a GIF holds.
    CShgDescription deep;
    deep.nBitCount = 24;
    deep.nWidth = 257;
    deep.nHeight = 1;
    deep.pixels.assign(RowBytes(257, 24), 0);
    for (std::size_t i = 0; i < 257; ++i) {
        deep.pixels[3 * i] = static_cast<std::uint8_t>(i);
        deep.pixels[3 * i + 1] = static_cast<std::uint8_t>(i >> 8);
    }
    deep.hotspots = {{0xE3, 1, 0, 2, 2, "!Deep", "t"}};
    WriteBytes(m_dir.File("deep.shg"), BuildShg(deep));
    CShgDescription flat;
    flat.nWidth = 2;
    flat.nHeight = 1;
    flat.colourTable.assign(256 * 4, 0);
    flat.pixels.assign(4, 0);
    WriteBytes(m_dir.File("flat.shg"), BuildShg(flat));
    CShgDescription few = deep;  // 2 colours: published
    few.nWidth = 2;
    few.pixels.resize(8);
    WriteBytes(m_dir.File("few.shg"), BuildShg(few));

    const CToolRun run =
        ShgInfo(Quote(m_dir.File("deep.shg")) + " -- " + Quote(m_dir.File("flat.shg")) + " " +
                Quote(m_dir.File("few.shg")));
    EXPECT_EQ(run.nExit, 1);
    EXPECT_EQ(run.strOut, m_dir.File("deep.shg") +
                              ":\n"
                              "picture: 257 x 1 pixels, 24 bits per pixel, more than 256 distinct "
                              "colours, packing 0 (stored)\n"
                              "hotspots: 1\n"
                              "jump visible 1,0,3,2 name \"!Deep\" target \"t\"\n" +
                              m_dir.File("flat.shg") +
                              ":\n"
                              "picture: 2 x 1 pixels, 8 bits per pixel, 256 colours, packing 0 "
                              "(stored)\n"
                              "hotspots: 0\n" +
                              m_dir.File("few.shg") +
                              ":\n"
                              "picture: 2 x 1 pixels, 24 bits per pixel, 2 distinct colours, "
                              "packing 0 (stored)\n"
                              "hotspots: 1\n"
                              "jump visible 1,0,3,2 name \"!Deep\" target \"t\"\n");
    EXPECT_EQ(run.strErr, "vellumdesk: shg-info: cannot publish '" + m_dir.File("deep.shg") +
                              "': at least 257 colours; a GIF holds at most "
                              "256 (colours are never reduced)\n");
}

TEST_F(ShgInfoToolTest, ShowsAMetafilesRecordsAndWhetherItIsPublished) {
    // An 8 x 2 bitmap of 1 bit per pixel drawn over 80 x 40 units.
    std::vector<std::uint8_t> dib(40 + 8 + 8, 0);
    for (const auto& [nAt, nValue] : {std::pair{0, 40}, {4, 8}, {8, 2}, {12, 1}, {14, 1}}) {
        dib[static_cast<std::size_t>(nAt)] = static_cast<std::uint8_t>(nValue);
    }
    CShgDescription desc;
    desc.nType = 8;
    desc.nWidth = 2117;
    desc.nHeight = 1058;
    desc.pixels =
        BuildMetafile({MetafileRecord(0x020C, {40, 80}), BitmapRecord(0x0F43, dib, 8, 2, 80, 40)});
    desc.hotspots = {{0xE3, 10, 20, 30, 20, "!M", "t"}};
    WriteBytes(m_dir.File("one.shg"), BuildShg(desc));
    desc.pixels = BuildMetafile(std::vector<std::vector<std::uint8_t>>(
        3, MetafileRecord(0x0324, {3, 0, 0, 10, 0, 10, 10})));
    WriteBytes(m_dir.File("drawing.shg"), BuildShg(desc));

    const CToolRun run =
        ShgInfo(Quote(m_dir.File("one.shg")) + " " + Quote(m_dir.File("drawing.shg")));
    EXPECT_EQ(run.nExit, 1);
    const std::string strHeader =
        "picture: metafile, 2117 x 1058 units, mapping mode 8, packing 0 (stored)\n";
    EXPECT_EQ(run.strOut, m_dir.File("one.shg") + ":\n" + strHeader +
                              "metafile records: 1 SETWINDOWEXT, 1 STRETCHDIB\n"
                              "bitmap: 8 x 2 pixels, 1 bit per pixel, 2 colours\n"
                              "hotspots: 1\n"
                              "jump visible 1,1,4,2 name \"!M\" target \"t\"\n" +
                              m_dir.File("drawing.shg") + ":\n" + strHeader +
                              "metafile records: 3 POLYGON\n"
                              "hotspots: 1\n"
                              "jump visible 10,20,40,40 name \"!M\" target \"t\"\n");
    EXPECT_EQ(run.strErr, "vellumdesk: shg-info: cannot publish '" + m_dir.File("drawing.shg") +
                              "': metafile draws 3 polygons\n");
}

TEST_F(ShgInfoToolTest, ReportsWhyAFileCannotBeReadAndMisuse) {
    const std::string strPath = m_dir.File("bad.shg");
    WriteText(strPath, "lq not a picture");
    CToolRun run = ShgInfo(Quote(strPath));
    EXPECT_EQ(run.nExit, 1);
    EXPECT_EQ(run.strOut, "");
    EXPECT_NE(run.strErr.find("vellumdesk: shg-info: "), std::string::npos) << run.strErr;
    EXPECT_NE(run.strErr.find("not an SHG file"), std::string::npos) << run.strErr;

    run = ShgInfo(Quote(m_dir.File("missing.shg")));
    EXPECT_EQ(run.nExit, 1);
    EXPECT_NE(run.strErr.find("cannot open"), std::string::npos) << run.strErr;

    EXPECT_EQ(ShgInfo("").nExit, 2);
    EXPECT_EQ(ShgInfo("--bogus a").nExit, 2);
}

}  // namespace
}  // namespace vd::test
