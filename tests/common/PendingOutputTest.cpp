// Two pending outputs committed together: both final names replaced, or
// neither (the first one's earlier file put back, or its new one removed).
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
