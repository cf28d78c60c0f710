// Destination folders: file masks, the first matching row of a source's
// group and destination, subfolder normalisation, folder creation.
#include <filesystem>
#include <string>

#include "projectdb/DestinationFolders.h"
#include "projectdb/Engine.h"
#include "projectdb/ProjectSchema.h"
#include "tests/projectdb/ProjectDbTestSupport.h"

namespace vd {
namespace {

using test::CSessionTest;
using test::CTempDir;

TEST(FileMask, MatchesWithAForwardOnlyScan) {
    struct Case {
        const char* text;
        const char* mask;
        int expected;
    };
    const Case cases[] = {
        {"_.gif", "*.gif", 1},
        {"_.map", "*.gif", 0},
        {"a.b.gif", "*.gif", 0},  // the "*" stops at the first literal match
        {"_.htm", "*.htm*", 1},   // a trailing "*" matches no characters
        {"_.html", "*.htm*", 1},
        {"*.html", "*.htm*", 1},
        {"*.htm", "*.htm*", 1},
        {"*.gif", "*.htm*", 0},
        {"_.gif", "*.htm*", 0},
        {"anything at all", "*", 1},
        {"", "*", 1},
        {"x", "", 0},
        {"", "", 1},   // both at their ends
        {"", "?", 0},  // "?" needs a character
        {"ab", "a?", 1},
        {"a", "a?", 0},
        {"abc", "a?c", 1},
        {"_.GIF", "*.gif", 0},  // letter case counts
        {"_.gif", "_.gif", 1},
        {"_.gif", "_.gi", 0},
        {"_.gi", "_.gif", 0},
        {"plan.gif", "plan*", 1},
        {"xplan.gif", "plan*", 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(bMatchFileMask(c.text, c.mask), c.expected)
            << "text '" << c.text << "' mask '" << c.mask << "'";
    }
    // Views that are not zero-terminated are never read past their ends.
    const std::string strText = "_.gifXXXX";
    const std::string strMask = "*.gifYYYY";
    EXPECT_EQ(bMatchFileMask(std::string_view(strText).substr(0, 5),
                             std::string_view(strMask).substr(0, 5)),
              1);
    EXPECT_EQ(bMatchFileMask(std::string_view(strText).substr(0, 4), "*.gi?"), 0);
}

// A project whose source 1 (group 1, destination 1) has the rows given.
class DestinationFolders : public CSessionTest {
  protected:
    void Open(const std::string& strRows, const std::string& strRoot) {
        const std::string strPath = m_dir.File("project.db");
        ASSERT_TRUE(CreateProjectDatabase(strPath, {"INSERT INTO Sources VALUES (1, 1, 10, 1, 1);"
                                                    "INSERT INTO Sources VALUES (2, 1, 10, 1, 7);"
                                                    "INSERT INTO SourcesStamm VALUES (1, '" +
                                                    strRoot + "', 1);" + strRows}));
        ASSERT_EQ(bOpenProjectDatabase(strPath), 1);
        PositionSource(1);
    }
    static void PositionSource(std::int32_t nKey) {
        g_pSources->SetIndex("IDX");
        ASSERT_TRUE(g_pSources->Seek({nKey}));
        g_pSourcesStamm->SetIndex("IDX");
        ASSERT_TRUE(g_pSourcesStamm->Seek({g_pSources->GetLong("SourcesStammIdx")}));
    }
    std::string Root() const { return m_out.Prefix(); }
    bool IsFolder(const std::string& strPath) const {
        return std::filesystem::is_directory(strPath);
    }

    CTempDir m_dir;
    CTempDir m_out;
};

TEST_F(DestinationFolders, TheFirstMatchingRowOfTheGroupDecides) {
    Open(
        // Rows of other groups and destinations around the group, stored out
        // of index order.
        "INSERT INTO DirectoryList VALUES (2, 1, '*', 'other-group');"
        "INSERT INTO DirectoryList VALUES (1, 1, '*.gif', '/images');"
        "INSERT INTO DirectoryList VALUES (1, 2, '*.map', 'other-destination');"
        "INSERT INTO DirectoryList VALUES (1, 1, '*.html', 'pages');"
        "INSERT INTO DirectoryList VALUES (1, 1, '*.map', 'maps/');"
        "INSERT INTO DirectoryList VALUES (1, 1, '*', 'second');"
        "INSERT INTO DirectoryList VALUES (0, 1, '*', 'before');",
        Root());
    const auto sourcesBefore = g_pSources->GetBookmark();
    const auto masterBefore = g_pSourcesStamm->GetBookmark();

    EXPECT_EQ(GetDestinationFolder("_.gif"), Root() + "images/");
    EXPECT_TRUE(IsFolder(Root() + "images"));
    // "*.html" is widened to "*.htm*" and takes pages of both extensions.
    EXPECT_EQ(GetDestinationFolder("_.htm"), Root() + "pages/");
    EXPECT_EQ(GetDestinationFolder("_.html"), Root() + "pages/");
    EXPECT_EQ(GetDestinationFolder("_.map"), Root() + "maps/");
    EXPECT_TRUE(IsFolder(Root() + "maps"));
    // Nothing of group 1, destination 1 before "*" matches: its row decides,
    // not the rows of the neighbouring groups or destination.
    EXPECT_EQ(GetDestinationFolder("_.txt"), Root() + "second/");
    EXPECT_FALSE(IsFolder(Root() + "other-group"));
    EXPECT_FALSE(IsFolder(Root() + "other-destination"));
    EXPECT_FALSE(IsFolder(Root() + "before"));

    // The source's cursors stay where the caller put them.
    EXPECT_EQ(g_pSources->GetBookmark(), sourcesBefore);
    EXPECT_EQ(g_pSourcesStamm->GetBookmark(), masterBefore);
}

TEST_F(DestinationFolders, NoRowOrNoMatchingRowGivesTheRootCreated) {
    const std::string strRoot = Root() + "pub/";
    Open(
        "INSERT INTO DirectoryList VALUES (1, 1, '*.gif', 'images');"
        "INSERT INTO DirectoryList VALUES (1, 2, '*.map', 'maps');",  // the last row of the table
        strRoot);
    EXPECT_EQ(GetDestinationFolder("_.map"), strRoot);
    EXPECT_TRUE(IsFolder(strRoot));
    // A source whose group has no rows at all.
    PositionSource(2);
    EXPECT_EQ(GetDestinationFolder("_.gif"), strRoot);
}

TEST_F(DestinationFolders, SubfoldersAreNormalisedAndJoinedByConcatenation) {
    Open(
        "INSERT INTO DirectoryList VALUES (1, 1, 'a.*', '/lead');"
        "INSERT INTO DirectoryList VALUES (1, 1, 'b.*', 'trail/');"
        "INSERT INTO DirectoryList VALUES (1, 1, 'c.*', '');"
        "INSERT INTO DirectoryList VALUES (1, 1, 'd.*', '/both/');"
        "INSERT INTO DirectoryList VALUES (1, 1, 'e.*', 'missing/deeper');",
        Root());
    EXPECT_EQ(GetDestinationFolder("a.gif"), Root() + "lead/");
    EXPECT_EQ(GetDestinationFolder("b.gif"), Root() + "trail/");
    EXPECT_EQ(GetDestinationFolder("c.gif"), Root() + "/");
    EXPECT_EQ(GetDestinationFolder("d.gif"), Root() + "both/");
    // Only one level is created; the missing parent makes it fail silently.
    EXPECT_EQ(GetDestinationFolder("e.gif"), Root() + "missing/deeper/");
    EXPECT_FALSE(IsFolder(Root() + "missing"));
}

#ifndef _WIN32
TEST_F(DestinationFolders, ABackslashCountsAsASeparatorInStoredSubfolders) {
    Open(
        "INSERT INTO DirectoryList VALUES (1, 1, '*.gif', '\\images');"
        "INSERT INTO DirectoryList VALUES (1, 1, '*.map', 'maps\\');",
        Root());
    EXPECT_EQ(GetDestinationFolder("_.gif"), Root() + "images/");
    EXPECT_TRUE(IsFolder(Root() + "images"));
    // A Windows-style trailing backslash names the folder, not part of a file name.
    EXPECT_EQ(GetDestinationFolder("_.map"), Root() + "maps/");
    EXPECT_TRUE(IsFolder(Root() + "maps"));
}
#endif

TEST_F(DestinationFolders, ARootWithoutTrailingSeparatorIsJoinedAsItStands) {
    const std::string strRoot = Root() + "pub";
    Open("INSERT INTO DirectoryList VALUES (1, 1, '*.gif', 'images');", strRoot);
    EXPECT_EQ(GetDestinationFolder("_.gif"), Root() + "pubimages/");
    EXPECT_TRUE(IsFolder(Root() + "pubimages"));
}

TEST_F(DestinationFolders, AMissingFieldIsAnEngineError) {
    const std::string strPath = m_dir.File("project.db");
    test::BuildDatabase(strPath, std::string(kProjectSchemaSql) +
                                     "INSERT INTO Sources VALUES (1, 1, 10, 1, 1);"
                                     "INSERT INTO SourcesStamm VALUES (1, '/tmp/', 1);"
                                     "ALTER TABLE DirectoryList RENAME COLUMN Directory TO Folder;"
                                     "INSERT INTO DirectoryList VALUES (1, 1, '*', 'x');");
    ASSERT_EQ(bOpenProjectDatabase(strPath), 1);
    PositionSource(1);
    EXPECT_THROW((void)GetDestinationFolder("_.gif"), CEngineException);
}

}  // namespace
}  // namespace vd
