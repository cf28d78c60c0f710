// Every real SHG/MRB picture of the shared test data decodes to the pixel
// rows and colour table of its reference rendering; the true-colour and
// metafile pictures, whose references are 24-bit, become GIFs of exactly
// the reference's colours.
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "tests/TestSupport.h"
#include "tests/gif/GifTestSupport.h"
#include "tests/shgfile/ShgTestUtil.h"

namespace vd::test {
namespace {

namespace fs = std::filesystem;

std::vector<fs::path> SamplePictures() {
    std::vector<fs::path> paths;
    for (const auto& entry : fs::directory_iterator(TestDataDir() / "shg")) {
        const std::string ext = entry.path().extension().string();
        if (ext == ".shg" || ext == ".mrb") paths.push_back(entry.path());
    }
    std::sort(paths.begin(), paths.end());
    return paths;
}

// The reference BMP: its DIB after the 14-byte file header, rows at bfOffBits.
bool ReadReference(const fs::path& path, CDibView& view) {
    std::vector<std::uint8_t> bytes = ReadBytes(path);
    if (bytes.size() < 14 || bytes[0] != 'B' || bytes[1] != 'M') {
        ADD_FAILURE() << path << " is not a BMP file";
        return false;
    }
    const std::size_t nOffBits = bytes[10] | (bytes[11] << 8) | (bytes[12] << 16) |
                                 (static_cast<std::size_t>(bytes[13]) << 24);
    bytes.erase(bytes.begin(), bytes.begin() + 14);
    return ParseDib(bytes, view, nOffBits - 14);
}

// Bits of a row that carry pixels (the rest is padding).
void ExpectSameRow(const std::vector<std::uint8_t>& actual,
                   const std::vector<std::uint8_t>& expected, std::int32_t nWidth,
                   std::uint16_t nBitCount, std::size_t nRow) {
    const std::size_t nBits = static_cast<std::size_t>(nWidth) * nBitCount;
    for (std::size_t nByte = 0; nByte * 8 < nBits; ++nByte) {
        const std::size_t nBitsHere = std::min<std::size_t>(8, nBits - nByte * 8);
        const std::uint8_t nMask = static_cast<std::uint8_t>(0xFF00u >> nBitsHere);
        if ((actual[nByte] & nMask) != (expected[nByte] & nMask)) {
            ADD_FAILURE() << "row " << nRow << " differs at byte " << nByte << ": "
                          << int{actual[nByte]} << " instead of " << int{expected[nByte]};
            return;
        }
    }
}

// The reference's pixels as colours, top row first.
std::vector<Rgb> ReferenceColours(const CDibView& reference) {
    std::vector<Rgb> colours;
    for (std::size_t y = reference.rows.size(); y-- > 0;) {
        const std::vector<std::uint8_t>& row = reference.rows[y];
        for (std::int32_t x = 0; x < reference.nWidth; ++x) {
            colours.push_back({row[3 * x + 2], row[3 * x + 1], row[3 * x]});
        }
    }
    return colours;
}

TEST(ShgSamplesTest, EveryRealPictureMatchesItsReferenceRendering) {
    VD_REQUIRE_TESTDATA("shg");
    const std::vector<fs::path> pictures = SamplePictures();
    ASSERT_FALSE(pictures.empty());
    int nCompared = 0;
    int nPublishedAsColours = 0;
    int nMetafiles = 0;
    for (const fs::path& picture : pictures) {
        SCOPED_TRACE(picture.filename().string());
        const fs::path reference =
            picture.parent_path() / "ref" / (picture.stem().string() + ".bmp");
        CDibView expected;
        ASSERT_TRUE(ReadReference(reference, expected));

        CShgReadResult result;
        ReadShgBytes(ReadBytes(picture), result);
        EXPECT_TRUE(result.m_list.IsEmpty());
        ASSERT_TRUE(result.m_block) << result.m_strReason;
        if (expected.nBitCount > 8) {
            // True colour, or a metafile's bitmap: the GIF shows its colours.
            EXPECT_EQ(PublishedColours(result.m_block), ReferenceColours(expected));
            nPublishedAsColours += 1;
            nMetafiles += result.m_header.IsMetafile() ? 1 : 0;
            continue;
        }
        CDibView actual;
        ASSERT_TRUE(ParseDib(BlockBytes(result.m_block), actual));
        EXPECT_EQ(actual.nWidth, expected.nWidth);
        EXPECT_EQ(actual.nHeight, expected.nHeight);
        EXPECT_EQ(actual.nBitCount, expected.nBitCount);
        EXPECT_EQ(actual.nCompression, 0u);
        EXPECT_EQ(actual.colourTable.size(), expected.colourTable.size());
        // Compare colours without the reserved byte.
        for (std::size_t n = 0;
             n + 3 < std::min(actual.colourTable.size(), expected.colourTable.size()); n += 4) {
            EXPECT_TRUE(std::equal(actual.colourTable.begin() + n,
                                   actual.colourTable.begin() + n + 3,
                                   expected.colourTable.begin() + n))
                << "colour " << n / 4;
        }
        ASSERT_EQ(actual.rows.size(), expected.rows.size());
        for (std::size_t nRow = 0; nRow < actual.rows.size(); ++nRow) {
            ExpectSameRow(actual.rows[nRow], expected.rows[nRow], actual.nWidth, actual.nBitCount,
                          nRow);
        }
        ++nCompared;
    }
    EXPECT_EQ(nPublishedAsColours, 4);
    EXPECT_EQ(nMetafiles, 3);
    EXPECT_EQ(nCompared + nPublishedAsColours, static_cast<int>(pictures.size()));
}

}  // namespace
}  // namespace vd::test
