// Pending outputs: two committed together replace both final names or
// neither, a replaced file keeps its permissions, and stale temporaries of
// killed writers are swept from the folder.
#include "common/PendingOutput.h"

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
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

// A process number that belongs to no process: a child that has ended.
unsigned long DeadProcess() {
    const pid_t pid = ::fork();
    if (pid == 0) ::_exit(0);
    ::waitpid(pid, nullptr, 0);
    return static_cast<unsigned long>(pid);
}

// Creating an output removes the temporaries a killed writer left in its
// folder: only those of a process that is gone and older than an hour.
TEST(PendingOutput, CreatingAnOutputRemovesStaleTemporariesOnly) {
    const std::string strDead = std::to_string(DeadProcess());
    struct SCase {
        std::string strName;
        int nHoursOld;
        bool bRemoved;
    };
    const SCase cases[] = {
        {"~vd" + strDead + "-0.tmp", 2, true},
        {"~vd" + strDead + "-1.tmp", 0, false},  // perhaps a writer on another machine
        {"~vd1-0.tmp", 2, false},                // its writer is alive
        {"~vd" + strDead + "-x.tmp", 2, false},  // not a name of ours
        {"a~vd" + strDead + "-0.tmp", 2, false},
    };
    test::CTempDir dir;
    for (const SCase& c : cases) {
        test::WriteText(dir.File(c.strName), "left behind");
        fs::last_write_time(dir.File(c.strName),
                            fs::file_time_type::clock::now() - std::chrono::hours(c.nHoursOld));
    }
    CPendingOutput output;
    ASSERT_TRUE(output.Create(dir.File("out.gif"), nullptr));
    for (const SCase& c : cases)
        EXPECT_EQ(fs::exists(dir.File(c.strName)), !c.bRemoved) << c.strName;
}

}  // namespace
}  // namespace vd
