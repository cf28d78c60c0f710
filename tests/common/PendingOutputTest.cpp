// The pending output: a temporary beside the final name, renamed onto it on
// commit, removed otherwise; two outputs committed together or not at all.
#include "common/PendingOutput.h"

#include <filesystem>
#include <string>
#include <vector>

#include "tests/TestSupport.h"

namespace vd {
namespace {

namespace fs = std::filesystem;

std::string ReadText(const fs::path& path) {
    const auto bytes = test::ReadBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

TEST(PendingOutput, TemporariesLieBesideTheFinalNameAndGoUnlessCommitted) {
    test::CTempDir dir;
    test::WriteText(dir.File("out.bin"), "earlier");
    std::string strCause;
    {
        CPendingOutput first;
        CPendingOutput second;  // a second output of the same folder gets its own name
        ASSERT_TRUE(first.Create(dir.File("out.bin"), &strCause)) << strCause;
        ASSERT_TRUE(second.Create(dir.File("out.bin"), &strCause)) << strCause;
        EXPECT_NE(first.GetTempPath(), second.GetTempPath());
        EXPECT_EQ(fs::path(first.GetTempPath()).parent_path(), dir.Path());
        EXPECT_EQ(test::FolderContents(dir.Path()).size(), 3u);
    }
    EXPECT_EQ(test::FolderContents(dir.Path()), std::vector<std::string>{"out.bin"});
    EXPECT_EQ(ReadText(dir.File("out.bin")), "earlier");

    CPendingOutput output;
    ASSERT_TRUE(output.Create(dir.File("out.bin"), &strCause));
    test::WriteText(output.GetTempPath(), "new");
    ASSERT_TRUE(output.Commit(&strCause)) << strCause;
    EXPECT_EQ(test::FolderContents(dir.Path()), std::vector<std::string>{"out.bin"});
    EXPECT_EQ(ReadText(dir.File("out.bin")), "new");

    EXPECT_FALSE(output.Create(dir.File("missing/out.bin"), &strCause));
    EXPECT_FALSE(strCause.empty());
}

TEST(PendingOutput, TwoOutputsReplaceTheirNamesTogetherOrNotAtAll) {
    struct Case {
        const char* pszWhat;
        bool bEarlierFirst;   // the first name holds an earlier file
        bool bSecondBlocked;  // a folder stands at the second name
    };
    for (const Case& c : {Case{"both replaced", true, false}, Case{"first put back", true, true},
                          Case{"first removed again", false, true}}) {
        SCOPED_TRACE(c.pszWhat);
        test::CTempDir dir;
        fs::create_directory(dir.File("maps"));
        if (c.bEarlierFirst) test::WriteText(dir.File("a.gif"), "earlier");
        if (c.bSecondBlocked) fs::create_directories(dir.File("maps/a.map/x"));
        CPendingOutput first;
        CPendingOutput second;
        std::string strCause;
        ASSERT_TRUE(first.Create(dir.File("a.gif"), &strCause));
        ASSERT_TRUE(second.Create(dir.File("maps/a.map"), &strCause));
        test::WriteText(first.GetTempPath(), "gif");
        test::WriteText(second.GetTempPath(), "map");
        EXPECT_EQ(bCommitBoth(first, second, &strCause), !c.bSecondBlocked);
        if (!c.bSecondBlocked) {
            EXPECT_EQ(ReadText(dir.File("a.gif")), "gif");
            EXPECT_EQ(ReadText(dir.File("maps/a.map")), "map");
        } else if (c.bEarlierFirst) {
            EXPECT_EQ(ReadText(dir.File("a.gif")), "earlier");
        } else {
            EXPECT_FALSE(fs::exists(dir.File("a.gif")));
        }
        EXPECT_EQ(test::FolderContents(dir.Path()).size(), c.bEarlierFirst ? 2u : 1u);
        EXPECT_EQ(test::FolderContents(dir.File("maps")), std::vector<std::string>{"a.map"});
    }
}

}  // namespace
}  // namespace vd
