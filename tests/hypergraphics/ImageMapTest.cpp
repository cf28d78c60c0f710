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
    areas.Add({0, 0, 131070, 131070}, "say \"hi\" now");  // quotes escaped
    areas.Add({-1, 0, 1, 1}, "x");                        // signed decimal
    CFile file;
    ASSERT_TRUE(file.Open(dir.File("plan.map"), CFile::modeCreateReadWriteExclusive));
    EXPECT_EQ(WriteMapText(file, areas.list), 1);
    file.Close();
    EXPECT_EQ(ReadText(dir.File("plan.map")),
              "<MAP NAME=\"plan.map\">\r\n"
              "<AREA SHAPE=RECT COORDS=\"10,20,40,60\" HREF=a.htm>\r\n"
              "<AREA SHAPE=RECT COORDS=\"0,0,5,5\" HREF=b.htm>\r\n"
              "<AREA SHAPE=RECT COORDS=\"2,2,30,30\" HREF=\"\">\r\n"
              "<AREA SHAPE=RECT COORDS=\"0,0,131070,131070\" HREF=\"say &quot;hi&quot; now\">\r\n"
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
        m_areas.Add({1, 2, 3, 4}, "t00002.htm");
    }
    std::filesystem::path MapsDir() const { return m_out.Path() / "maps"; }
    std::size_t FilesInMapsDir() const {
        std::size_t n = 0;
        for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(MapsDir()))
            ++n;
        return n;
    }

    const std::string m_strGif = m_work.File("PLAN.GIF");
    CAreas m_areas;
};

TEST_F(ImageMap, GoesIntoTheMapFolderAndReplacesAnOldMapWhenCommitted) {
    std::filesystem::create_directory(MapsDir());
    test::WriteText(MapsDir() / "PLAN.map", std::string(1000, 'x'));
    std::string strReason;
    CPendingOutput map;
    ASSERT_EQ(bWriteImageMap(m_strGif, m_areas.list, map, &strReason), 1) << strReason;
    EXPECT_EQ(ReadText(MapsDir() / "PLAN.map"), std::string(1000, 'x'));  // not yet
    EXPECT_EQ(map.GetFinalPath(), (MapsDir() / "PLAN.map").string());
    ASSERT_TRUE(map.Commit(&strReason)) << strReason;
    EXPECT_EQ(ReadText(MapsDir() / "PLAN.map"),
              "<MAP NAME=\"PLAN.map\">\r\n"
              "<AREA SHAPE=RECT COORDS=\"1,2,3,4\" HREF=t00002.htm>\r\n"
              "</MAP>\r\n");
    EXPECT_EQ(FilesInMapsDir(), 1u);
}

TEST_F(ImageMap, AMapThatCannotTakeItsNameLeavesNothingBehind) {
    std::filesystem::create_directories(MapsDir() / "PLAN.map");
    std::string strReason;
    {
        CPendingOutput map;
        ASSERT_EQ(bWriteImageMap(m_strGif, m_areas.list, map, &strReason), 1) << strReason;
        EXPECT_FALSE(map.Commit(&strReason));
    }
    EXPECT_TRUE(std::filesystem::is_directory(MapsDir() / "PLAN.map"));
    EXPECT_EQ(FilesInMapsDir(), 1u);
}

TEST_F(ImageMap, ASymbolicLinkAtTheMapNameIsReplacedNotFollowed) {
    std::filesystem::create_directory(MapsDir());
    test::WriteText(m_work.File("target.txt"), "keep");
    std::filesystem::create_symlink(m_work.File("target.txt"), MapsDir() / "PLAN.map");
    std::string strReason;
    CPendingOutput map;
    ASSERT_EQ(bWriteImageMap(m_strGif, m_areas.list, map, &strReason), 1) << strReason;
    ASSERT_TRUE(map.Commit(&strReason)) << strReason;
    EXPECT_FALSE(std::filesystem::is_symlink(MapsDir() / "PLAN.map"));
    EXPECT_EQ(ReadText(m_work.File("target.txt")), "keep");
}

TEST_F(ImageMap, FolderLookupErrorsPassToTheCaller) {
    // The current master record is gone from under the lookup: the field
    // read fails as an engine error, and no map is created.
    g_pSourcesStamm->SetIndex("IDX");
    ASSERT_FALSE(g_pSourcesStamm->Seek({42}));
    CPendingOutput map;
    EXPECT_THROW((void)bWriteImageMap(m_strGif, m_areas.list, map), CEngineException);
    EXPECT_FALSE(std::filesystem::exists(MapsDir()));
}

}  // namespace
}  // namespace vd
