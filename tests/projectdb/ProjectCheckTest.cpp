// Checking a project database for what the library reads.
#include <algorithm>
#include <string>

#include "projectdb/ProjectCheck.h"
#include "projectdb/ProjectSchema.h"
#include "tests/projectdb/ProjectDbTestSupport.h"

namespace vd {
namespace {

using test::CTempDir;

bool HasLine(const CCheckResult& result, const std::string& strStart,
             const std::string& strContaining) {
    return std::any_of(result.lines.begin(), result.lines.end(), [&](const std::string& line) {
        return line.rfind(strStart, 0) == 0 && line.find(strContaining) != std::string::npos;
    });
}

TEST(ProjectCheck, ACompleteDatabaseHasNoProblems) {
    CTempDir dir;
    const std::string strPath = dir.File("project.db");
    ASSERT_TRUE(CreateProjectDatabase(strPath, {"INSERT INTO Sources VALUES (1, 1, 10, 1, 1);"}));
    const CCheckResult result = CheckProjectDatabase(strPath);
    EXPECT_EQ(result.nProblems, 0);
    EXPECT_TRUE(HasLine(result, "ok: ", "table Sources, field DirectoryListIdx"));
    EXPECT_TRUE(HasLine(result, "ok: ", "table HeadLines, index IDXNAME"));
    EXPECT_TRUE(HasLine(result, "ok: ", "table CompileStamm is empty"));
}

TEST(ProjectCheck, ReportsMissingTablesIndexesFieldsAndBadValues) {
    CTempDir dir;
    const std::string strPath = dir.File("broken.db");
    test::BuildDatabase(
        strPath,
        std::string(kProjectSchemaSql) +
            "DROP TABLE CompileStamm;"
            "DROP INDEX DirectoryList_IDXDESTINATIONIDX;"
            "CREATE INDEX DirectoryList_IDXDESTINATIONIDX ON DirectoryList(Idx);"  // one key only
            "DROP INDEX HeadLines_IDXNAME;"
            "ALTER TABLE Sources DROP COLUMN CompileStammIdx;"
            "CREATE TABLE Loose (Idx INTEGER, Name TEXT);"
            "DROP TABLE SourcesStamm;"
            "CREATE TABLE SourcesStamm (Idx INTEGER, DestinationPath TEXT, Destination INTEGER);"
            "CREATE INDEX SourcesStamm_IDX ON SourcesStamm(Idx);"
            "INSERT INTO SourcesStamm VALUES (1, '/pub/', 1);"
            "INSERT INTO SourcesStamm VALUES (2, NULL, 'two');"
            "INSERT INTO Sources VALUES (1, 1, 10, 1);");
    const CCheckResult result = CheckProjectDatabase(strPath);
    EXPECT_EQ(result.nProblems, 6);
    EXPECT_TRUE(HasLine(result, "problem: ", "table CompileStamm"));
    EXPECT_TRUE(HasLine(result, "problem: ", "index IDXDESTINATIONIDX"));
    EXPECT_TRUE(HasLine(result, "problem: ", "HeadLines_IDXNAME"));
    EXPECT_TRUE(HasLine(result, "problem: ", "field CompileStammIdx"));
    EXPECT_TRUE(HasLine(result, "problem: ", "field DestinationPath"));
    EXPECT_TRUE(HasLine(result, "problem: ", "field Destination:"));
}

TEST(ProjectCheck, AFileThatIsNoDatabaseIsOneProblem) {
    CTempDir dir;
    const std::string strPath = dir.File("notes.txt");
    test::WriteText(strPath, "hello");
    const CCheckResult result = CheckProjectDatabase(strPath);
    EXPECT_EQ(result.nProblems, 1);
    EXPECT_TRUE(HasLine(result, "problem: ", strPath));
    // Creating over an existing file is refused and leaves it alone.
    std::string strReason;
    EXPECT_FALSE(CreateProjectDatabase(strPath, {}, &strReason));
    EXPECT_EQ(strReason, "cannot create '" + strPath + "': it exists already (left as it is)");
    EXPECT_EQ(test::ReadBytes(strPath).size(), 5u);
    // A failing SQL text leaves no file behind.
    const std::string strNew = dir.File("new.db");
    EXPECT_FALSE(CreateProjectDatabase(strNew, {"INSERT INTO Nowhere VALUES (1);"}, &strReason));
    EXPECT_NE(strReason.find("Nowhere"), std::string::npos) << strReason;
    EXPECT_FALSE(std::filesystem::exists(strNew));
}

}  // namespace
}  // namespace vd
