// The image-map writer: the exact text, the file's name and place, and what
// happens to the GIF file when the map cannot be created or written.
#include <filesystem>
#include <string>

#include "hypergraphics/AreaList.h"
#include "hypergraphics/ImageMap.h"
#include "projectdb/Engine.h"
#include "tests/hypergraphics/HypergraphicsTestSupport.h"

namespace vd {
namespace {

using test::ReadBytes;

// Owns areas for a list in the tests.
struct CAreas {
    CAreaList list;
    CAreaListOwner owner{list};
    void Add(CRect rect, std::string strTarget) {
        auto* pArea = new CArea(1);
        list.AddTail(pArea);
        pArea->m_rect = rect;
        pArea->m_strTarget = std::move(strTarget);
    }
};

std::string ReadText(const std::filesystem::path& path) {
    const auto bytes = ReadBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

TEST(MapText, OneAreaLineForEachAreaInListOrder) {
    test::CTempDir dir;
    CAreas areas;
    areas.Add({10, 20, 40, 60}, "a.htm");
    areas.Add({0, 0, 5, 5}, "b.htm");
    areas.Add({2, 2, 30, 30}, "");                        // overlaps; empty target
    areas.Add({0, 0, 131070, 131070}, "say \"hi\" now");  // written unchanged
    areas.Add({-1, 0, 1, 1}, "x");                        // signed decimal
    CFile file;
    ASSERT_TRUE(file.Open(dir.File("plan.map"), CFile::modeCreateReadWriteExclusive));
    EXPECT_EQ(WriteMapText(file, areas.list), 1);
    file.Close();
    EXPECT_EQ(ReadText(dir.File("plan.map")),
              "<MAP NAME=\"plan.map\">\r\n"
              "<AREA SHAPE=RECT COORDS=\"10,20,40,60\" HREF=a.htm>\r\n"
              "<AREA SHAPE=RECT COORDS=\"0,0,5,5\" HREF=b.htm>\r\n"
              "<AREA SHAPE=RECT COORDS=\"2,2,30,30\" HREF=>\r\n"
              "<AREA SHAPE=RECT COORDS=\"0,0,131070,131070\" HREF=say \"hi\" now>\r\n"
              "<AREA SHAPE=RECT COORDS=\"-1,0,1,1\" HREF=x>\r\n"
              "</MAP>\r\n");

    CAreas none;
    ASSERT_TRUE(file.Open(dir.File("empty.map"), CFile::modeCreateReadWriteExclusive));
    EXPECT_EQ(WriteMapText(file, none.list), 1);
    file.Close();
    EXPECT_EQ(ReadText(dir.File("empty.map")), "<MAP NAME=\"empty.map\">\r\n</MAP>\r\n");
}

TEST(MapText, TheMapIsNamedAfterTheGifFile) {
    EXPECT_EQ(MapFileName("C:\\pub\\plan.gif"), "plan.map");
    EXPECT_EQ(MapFileName("/pub/PLAN.GIF"), "PLAN.map");
    EXPECT_EQ(MapFileName("/pub.v1/a.b.gif"), "a.b.map");
    EXPECT_EQ(MapFileName("plan.gif"), "plan.map");
    EXPECT_EQ(MapFileName("/pub/ab"), "map");  // shorter than three characters
    EXPECT_EQ(MapFileName(""), "map");
}

class ImageMap : public test::CPublicationTest {
  protected:
    void SetUp() override {
        CPublicationTest::SetUp();
        ASSERT_EQ(bOpenProjectDatabase(MakeDatabase("project.db")), 1);
        g_pSources->SetIndex("IDX");
        ASSERT_TRUE(g_pSources->Seek({7}));
        g_pSourcesStamm->SetIndex("IDX");
        ASSERT_TRUE(g_pSourcesStamm->Seek({1}));
        ASSERT_TRUE(m_gif.Open(m_work.File("PLAN.GIF"), CFile::modeCreateReadWriteExclusive));
        m_areas.Add({1, 2, 3, 4}, "t00002.htm");
    }
    std::filesystem::path MapsDir() const { return m_out.Path() / "maps"; }

    CFile m_gif;
    CAreas m_areas;
};

TEST_F(ImageMap, GoesIntoTheMapFolderAndReplacesAnOldMap) {
    std::filesystem::create_directory(MapsDir());
    test::WriteText(MapsDir() / "PLAN.map", std::string(1000, 'x'));
    std::string strReason;
    ASSERT_EQ(bWriteImageMap(m_gif, m_areas.list, &strReason), 1) << strReason;
    EXPECT_EQ(ReadText(MapsDir() / "PLAN.map"),
              "<MAP NAME=\"PLAN.map\">\r\n"
              "<AREA SHAPE=RECT COORDS=\"1,2,3,4\" HREF=t00002.htm>\r\n"
              "</MAP>\r\n");
    EXPECT_TRUE(m_gif.IsOpen());
}

TEST_F(ImageMap, AMapThatCannotBeCreatedLeavesTheGifAlone) {
    std::filesystem::create_directories(MapsDir() / "PLAN.map");
    std::string strReason;
    EXPECT_EQ(bWriteImageMap(m_gif, m_areas.list, &strReason), 0);
    EXPECT_NE(strReason.find("PLAN.map"), std::string::npos) << strReason;
    EXPECT_TRUE(m_gif.IsOpen());
    m_gif.Write("GIF", 3);  // still usable
}

#ifdef __linux__
TEST_F(ImageMap, AWriteErrorAbortsTheGifAndKeepsWhatWasWritten) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    std::filesystem::create_directory(MapsDir());
    std::filesystem::create_symlink("/dev/full", MapsDir() / "PLAN.map");
    std::string strReason;
    EXPECT_EQ(bWriteImageMap(m_gif, m_areas.list, &strReason), 0);
    EXPECT_NE(strReason.find("PLAN.map"), std::string::npos) << strReason;
    EXPECT_FALSE(m_gif.IsOpen());
}
#endif

TEST_F(ImageMap, FolderLookupErrorsPassToTheCaller) {
    // The current master record is gone from under the lookup: the field
    // read fails as an engine error, and no map is created.
    g_pSourcesStamm->SetIndex("IDX");
    ASSERT_FALSE(g_pSourcesStamm->Seek({42}));
    EXPECT_THROW((void)bWriteImageMap(m_gif, m_areas.list), CEngineException);
    EXPECT_TRUE(m_gif.IsOpen());
    EXPECT_FALSE(std::filesystem::exists(MapsDir()));
}

}  // namespace
}  // namespace vd
