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

// A replaced file keeps its permission bits, alone or as one of a pair; a
// new file takes the usual ones.
TEST(PendingOutput, AReplacedFileKeepsItsPermissions) {
    test::CTempDir dir;
    for (const char* pszName : {"single.gif", "pair.gif", "pair.map"}) {
        test::WriteText(dir.File(pszName), "earlier");
        fs::permissions(dir.File(pszName),
                        fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    }
    CPendingOutput single, first, second, fresh;
    std::string strCause;
    ASSERT_TRUE(single.Create(dir.File("single.gif"), &strCause));
    ASSERT_TRUE(first.Create(dir.File("pair.gif"), &strCause));
    ASSERT_TRUE(second.Create(dir.File("pair.map"), &strCause));
    ASSERT_TRUE(fresh.Create(dir.File("fresh.gif"), &strCause));
    for (CPendingOutput* pOutput : {&single, &first, &second, &fresh}) {
        test::WriteText(pOutput->GetTempPath(), "new");
    }
    ASSERT_TRUE(single.Commit(&strCause)) << strCause;
    ASSERT_TRUE(bCommitBoth(first, second, &strCause)) << strCause;
    ASSERT_TRUE(fresh.Commit(&strCause)) << strCause;
    for (const char* pszName : {"single.gif", "pair.gif", "pair.map"}) {
        EXPECT_EQ(ReadText(dir.File(pszName)), "new") << pszName;
        EXPECT_EQ(fs::status(dir.File(pszName)).permissions(),
                  fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read)
            << pszName;
    }
    EXPECT_NE(fs::status(dir.File("fresh.gif")).permissions() & fs::perms::owner_write,
              fs::perms::none);
}

}  // namespace
}  // namespace vd
