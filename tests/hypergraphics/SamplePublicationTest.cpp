// The bundled sample publication (examples/sample) converts as its page
// expects: every hypergraphic with hotspots of each kind resolved.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "hypergraphics/ShgConversion.h"
#include "tests/hypergraphics/HypergraphicsTestSupport.h"

namespace vd {
namespace {

std::string ReadText(const std::filesystem::path& path) {
    const auto bytes = test::ReadBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

class SamplePublication : public test::CPublicationTest {};

TEST_F(SamplePublication, ConvertsEveryPictureWithItsLinks) {
    const std::filesystem::path sample =
        std::filesystem::path(VD_SOURCE_DIR) / "examples" / "sample";
    std::string strSql = ReadText(sample / "project.sql");
    const std::string strMarker = "@OUT@";
    for (auto nAt = strSql.find(strMarker); nAt != std::string::npos;
         nAt = strSql.find(strMarker, nAt)) {
        strSql.replace(nAt, strMarker.size(), m_out.Prefix());
    }
    const std::string strDb = m_work.File("sample.db");
    std::string strReason;
    ASSERT_TRUE(CreateProjectDatabase(strDb, {strSql}, &strReason)) << strReason;

    const struct {
        int nKey;
        const char* pszFile;
        const char* pszMap;
    } pictures[] = {
        {1, "mainwindow.shg",
         "<MAP NAME=\"mainwindow.map\">\r\n"
         "<AREA SHAPE=RECT COORDS=\"1,1,399,19\" HREF=index.html>\r\n"
         "<AREA SHAPE=RECT COORDS=\"5,20,254,32\" HREF=t00020.html>\r\n"
         "<AREA SHAPE=RECT COORDS=\"8,37,42,57\" HREF=t00012.html>\r\n"
         "<AREA SHAPE=RECT COORDS=\"50,37,108,57\" HREF=t00013.html>\r\n"
         "<AREA SHAPE=RECT COORDS=\"116,37,186,57\" HREF=t00015.html>\r\n"
         "<AREA SHAPE=RECT COORDS=\"78,69,190,83\" HREF=p00101.html>\r\n"
         "<AREA SHAPE=RECT COORDS=\"8,84,392,226\" HREF=p00102.html>\r\n"
         "<AREA SHAPE=RECT COORDS=\"300,240,392,256\" HREF=calc.html>\r\n"
         "<AREA SHAPE=RECT COORDS=\"8,236,200,259\" HREF=t00004.html>\r\n"
         "</MAP>\r\n"},
        {2, "reconcile.shg",
         "<MAP NAME=\"reconcile.map\">\r\n"
         "<AREA SHAPE=RECT COORDS=\"10,4,350,20\" HREF=p00103.html>\r\n"
         "<AREA SHAPE=RECT COORDS=\"10,156,120,174\" HREF=t00015.html>\r\n"
         "<AREA SHAPE=RECT COORDS=\"130,156,260,174\" HREF=t00016.html>\r\n"
         "<AREA SHAPE=RECT COORDS=\"10,26,170,150\" HREF=p00104.html>\r\n"
         "<AREA SHAPE=RECT COORDS=\"190,26,350,150\" HREF=t00012.html>\r\n"
         "</MAP>\r\n"},
        {3, "setup.shg",
         "<MAP NAME=\"setup.map\">\r\n"
         "<AREA SHAPE=RECT COORDS=\"10,34,100,74\" HREF=t00006.html>\r\n"
         "<AREA SHAPE=RECT COORDS=\"112,34,202,74\" HREF=t00008.html>\r\n"
         "<AREA SHAPE=RECT COORDS=\"222,34,312,74\" HREF=t00009.html>\r\n"
         "<AREA SHAPE=RECT COORDS=\"8,86,126,100\" HREF=p00105.html>\r\n"
         "<AREA SHAPE=RECT COORDS=\"8,4,150,18\" HREF=t00006.html>\r\n"
         "</MAP>\r\n"},
    };
    for (const auto& picture : pictures) {
        ASSERT_EQ(bConvertSHGToGIFMAP(strDb, (sample / picture.pszFile).string(), picture.nKey,
                                      &strReason),
                  1)
            << picture.pszFile << ": " << strReason;
        const std::string strStem = std::filesystem::path(picture.pszFile).stem().string();
        EXPECT_EQ(ReadText(m_out.Path() / "maps" / (strStem + ".map")), picture.pszMap);
        const auto gif = test::ReadBytes(m_out.Path() / "images" / (strStem + ".gif"));
        ASSERT_GT(gif.size(), 13u);
        EXPECT_EQ(std::string(gif.begin(), gif.begin() + 6), "GIF87a");
    }
}

}  // namespace
}  // namespace vd
