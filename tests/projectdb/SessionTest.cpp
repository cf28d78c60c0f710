// The project database session: opening the database and its five tables,
// the one-line error report, releasing a failed opening, closing.
#include <string>

#include "projectdb/Engine.h"
#include "projectdb/ProjectSchema.h"
#include "tests/projectdb/ProjectDbTestSupport.h"

namespace vd {
namespace {

using test::CSessionTest;
using test::CTempDir;

bool AllHandlesNull() {
    return !g_pDatabase && !g_pHeadLines && !g_pSources && !g_pSourcesStamm && !g_pDirectoryList &&
           !g_pCompileStamm;
}

// Runs bOpenProjectDatabase and answers its result and what it printed.
std::pair<int, std::string> OpenCapturingStderr(const std::string& strPath) {
    testing::internal::CaptureStderr();
    const int nResult = bOpenProjectDatabase(strPath);
    return {nResult, testing::internal::GetCapturedStderr()};
}

class SessionTest : public CSessionTest {};

TEST_F(SessionTest, OpensTheDatabaseAndItsFiveTables) {
    CTempDir dir;
    const std::string strPath = dir.File("project.db");
    ASSERT_TRUE(CreateProjectDatabase(strPath, {}));
    const auto [nResult, strErr] = OpenCapturingStderr(strPath);
    EXPECT_EQ(nResult, 1);
    EXPECT_EQ(strErr, "");
    ASSERT_TRUE(g_pDatabase && g_pHeadLines && g_pSources && g_pSourcesStamm && g_pDirectoryList &&
                g_pCompileStamm);
    EXPECT_TRUE(g_pDatabase->IsOpen());
    for (auto* pRs : {g_pHeadLines.get(), g_pSources.get(), g_pSourcesStamm.get(),
                      g_pDirectoryList.get(), g_pCompileStamm.get()}) {
        EXPECT_TRUE(pRs->IsOpen());
    }
    // The opening does not set the session flag; its caller does.
    EXPECT_EQ(g_bDatabaseOpen, 0);

    CloseProjectDatabase();
    EXPECT_TRUE(AllHandlesNull());
}

TEST_F(SessionTest, AFileThatCannotBeOpenedShowsOneLineAndReleasesEverything) {
    CTempDir dir;
    const std::string strMissing = dir.File("nowhere.db");
    const auto [nResult, strErr] = OpenCapturingStderr(strMissing);
    EXPECT_EQ(nResult, 0);
    EXPECT_EQ(strErr.rfind("Vellumdesk: ", 0), 0u) << strErr;
    EXPECT_NE(strErr.find(strMissing), std::string::npos) << strErr;
    EXPECT_EQ(strErr.find('\n'), strErr.size() - 1) << "exactly one line: " << strErr;
    EXPECT_TRUE(AllHandlesNull());

    const std::string strText = dir.File("notes.txt");
    test::WriteText(strText, "not a database");
    const auto [nResult2, strErr2] = OpenCapturingStderr(strText);
    EXPECT_EQ(nResult2, 0);
    EXPECT_NE(strErr2.find(strText), std::string::npos) << strErr2;
    EXPECT_TRUE(AllHandlesNull());
}

TEST_F(SessionTest, AMissingTableFailsEachTimeAndTheNextCallTriesAgain) {
    CTempDir dir;
    const std::string strPath = dir.File("four-tables.db");
    ASSERT_TRUE(CreateProjectDatabase(strPath, {"DROP TABLE CompileStamm;"}));
    for (int nAttempt = 0; nAttempt < 2; ++nAttempt) {
        const auto [nResult, strErr] = OpenCapturingStderr(strPath);
        EXPECT_EQ(nResult, 0);
        EXPECT_EQ(strErr.rfind("Vellumdesk: ", 0), 0u) << strErr;
        EXPECT_NE(strErr.find("CompileStamm"), std::string::npos) << strErr;
        EXPECT_EQ(strErr.find('\n'), strErr.size() - 1) << strErr;
        // The database and the four tables opened before are released.
        EXPECT_TRUE(AllHandlesNull());
    }
    const std::string strGood = dir.File("good.db");
    ASSERT_TRUE(CreateProjectDatabase(strGood, {}));
    EXPECT_EQ(OpenCapturingStderr(strGood).first, 1);
}

TEST_F(SessionTest, TheReportIsOneLineEvenForOddDescriptions) {
    testing::internal::CaptureStderr();
    ReportDatabaseError(CEngineException("first line\nsecond line\r\nthird"));
    ReportDatabaseError(CEngineException(""));
    const std::string strErr = testing::internal::GetCapturedStderr();
    EXPECT_EQ(strErr,
              "Vellumdesk: first line second line  third\n"
              "Vellumdesk: The project database reported an error without a description.\n");
    // A long description is shown in full.
    const std::string strLong(600, 'x');
    testing::internal::CaptureStderr();
    ReportDatabaseError(CEngineException(strLong));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Vellumdesk: " + strLong + "\n");
}

TEST_F(SessionTest, ClosingTwiceOrWithoutASessionIsHarmless) {
    CloseProjectDatabase();
    CloseProjectDatabase();
    EXPECT_TRUE(AllHandlesNull());
}

}  // namespace
}  // namespace vd
