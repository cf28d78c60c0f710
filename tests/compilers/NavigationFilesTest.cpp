// Reading the navigation files back, as the dump command does.
#include <string>
#include <vector>

#include "compilers/NavigationFiles.h"
#include "tests/compilers/NavigationTestSupport.h"

namespace vd::test {
namespace {

TEST(NavigationFiles, ContentsRecordsAndCutShortData) {
    const Bytes bytes =
        Join({ContentsRecord(1, 4, 1, "Introduction"), ContentsRecord(2, 12, 2, "")});
    std::vector<SContentsRecord> records;
    ASSERT_TRUE(bReadContentsRecords(bytes.data(), bytes.size(), records, nullptr));
    ASSERT_EQ(records.size(), 2U);
    EXPECT_EQ(records[0].nLevel, 1);
    EXPECT_EQ(records[0].nNumber, 4);
    EXPECT_EQ(records[0].nKind, 1);
    EXPECT_EQ(records[0].strText, "Introduction");
    EXPECT_TRUE(records[0].bTerminated);
    EXPECT_EQ(records[1].nKind, 2);
    EXPECT_EQ(records[1].strText, "");
    EXPECT_TRUE(bLooksLikeContents(bytes.data(), bytes.size()));

    // Every cut inside the second record is found; the first record stays.
    const std::size_t nFirst = ContentsRecord(1, 4, 1, "Introduction").size();
    for (std::size_t nCut = nFirst + 1; nCut < bytes.size(); ++nCut) {
        records.clear();
        std::string strProblem;
        EXPECT_FALSE(bReadContentsRecords(bytes.data(), nCut, records, &strProblem));
        EXPECT_EQ(records.size(), 1U);
        EXPECT_EQ(strProblem, "record 2 at offset 17 is cut short");
        EXPECT_FALSE(bLooksLikeContents(bytes.data(), nCut));
    }
}

TEST(NavigationFiles, CategoryRecordsAndCutShortData) {
    const Bytes bytes =
        Join({CategoryRecord("news", "Latest news", 2, 5), CategoryRecord("", "", 0, 0)});
    std::vector<SCategoryRecord> records;
    ASSERT_TRUE(bReadCategoryRecords(bytes.data(), bytes.size(), records, nullptr));
    ASSERT_EQ(records.size(), 2U);
    EXPECT_EQ(records[0].strName, "news");
    EXPECT_EQ(records[0].strText, "Latest news");
    EXPECT_EQ(records[0].nFirst, 2);
    EXPECT_EQ(records[0].nSecond, 5);
    EXPECT_TRUE(bLooksLikeCategories(bytes.data(), bytes.size()));
    // A category file is not taken for contents (its "texts" lack the zero).
    EXPECT_FALSE(bLooksLikeContents(bytes.data(), 19));

    for (std::size_t nCut = 1; nCut < 19; ++nCut) {
        records.clear();
        std::string strProblem;
        EXPECT_FALSE(bReadCategoryRecords(bytes.data(), nCut, records, &strProblem)) << nCut;
        EXPECT_TRUE(records.empty());
        EXPECT_EQ(strProblem, "record 1 at offset 0 is cut short");
    }
}

}  // namespace
}  // namespace vd::test
