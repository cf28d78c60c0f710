// Memory bounded by what is read: the store loads only the columns that the
// lookups read, the tool opens a project of five 255-column tables of 32,640
// rows each in little memory, and a table whose values would pass the
// store's bound is refused with a message that names the bound.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "projectdb/Engine.h"
#include "projectdb/JetFile.h"
#include "tests/TestSupport.h"
#include "tests/jet/JetBuilder.h"
#include "tests/jet/MdbtoolsReadBack.h"

namespace vd {
namespace {

using test::jet::CColumnDef;
using test::jet::CRowDef;
using test::jet::CTableDef;

constexpr std::uint8_t kLong = 0x04, kText = 0x0a;

// The five project tables, each widened to nColumns columns with Long
// fields that its nRows rows do not carry (added after they were written).
std::vector<CTableDef> WideProject(std::size_t nColumns, int nRows) {
    std::vector<CTableDef> tables = test::jet::ProjectTables();
    for (CTableDef& table : tables) {
        const int nStored = static_cast<int>(table.columns.size());
        for (int i = 0; i < nRows; ++i) {
            CRowDef row;
            row.nStoredColumns = nStored;
            for (const CColumnDef& column : table.columns) {
                if (column.nType == kText) {
                    row.cells.emplace_back(column.strName.substr(0, 4) + std::to_string(i));
                } else {
                    row.cells.emplace_back(std::int32_t{1 + i % 50});
                }
            }
            table.rows.push_back(std::move(row));
        }
        table.bMapPages = true;
        for (std::size_t c = table.columns.size(); c < nColumns; ++c) {
            table.columns.push_back({"Extra" + std::to_string(c), kLong});
        }
    }
    return tables;
}

struct CMeasuredRun {
    int nExit = -1;
    long nPeakKiB = 0;  // the child's peak resident memory
    std::string strOut;
};

// Runs the tool with args, output to a file in dir; answers its exit
// status and peak memory.
CMeasuredRun RunTool(const test::CTempDir& dir, const std::vector<std::string>& args) {
    const std::string strTool = std::string(VD_BINARY_DIR) + "/vellumdesk";
    const std::string strOut = dir.File("tool-output.txt");
    CMeasuredRun run;
    const pid_t pid = fork();
    if (pid == 0) {
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(strTool.c_str()));
        for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        if (freopen(strOut.c_str(), "w", stdout) == nullptr) _exit(126);
        if (dup2(fileno(stdout), fileno(stderr)) < 0) _exit(126);
        execv(strTool.c_str(), argv.data());
        _exit(127);
    }
    int nStatus = 0;
    rusage usage{};
    if (pid > 0 && wait4(pid, &nStatus, 0, &usage) == pid) {
        run.nExit = WIFEXITED(nStatus) ? WEXITSTATUS(nStatus) : -1;
        run.nPeakKiB = usage.ru_maxrss;
    }
    const std::vector<std::uint8_t> bytes = test::ReadBytes(strOut);
    run.strOut.assign(bytes.begin(), bytes.end());
    return run;
}

// Builds the file in a child process, so that the memory it takes is not
// part of this process when the tool is started from it (a child's peak
// counts what it shared with its parent before it ran the tool).
// The file is also checked with mdbtools there.
void WriteWideProjectAside(const std::string& strPath, std::size_t nColumns, int nRows) {
    const pid_t pid = fork();
    if (pid == 0) {
        test::jet::WriteCheckedJetDatabase(strPath, WideProject(nColumns, nRows));
        _exit(::testing::Test::HasFailure() ? 1 : 0);
    }
    int nStatus = 0;
    ASSERT_EQ(waitpid(pid, &nStatus, 0), pid);
    ASSERT_TRUE(WIFEXITED(nStatus) && WEXITSTATUS(nStatus) == 0);
}

TEST(JetMemory, FiveWideTablesOfManyRowsOpenInLittleMemory) {
    test::CTempDir dir;
    const std::string strPath = dir.File("wide.mdb");
    WriteWideProjectAside(strPath, 255, 32640);
    const auto nFileBytes = std::filesystem::file_size(strPath);

    const CMeasuredRun check = RunTool(dir, {"db", "check", strPath});
    EXPECT_EQ(check.nExit, 0) << check.strOut;
    EXPECT_NE(check.strOut.find("holds everything the library reads"), std::string::npos)
        << check.strOut;
    // Five columns of 32,640 rows, not 255: far below what every value
    // would take (more than a gigabyte as whole rows of values).
    EXPECT_LT(check.nPeakKiB, 256 * 1024) << "file of " << nFileBytes << " bytes";
    std::printf("[ figures  ] db check on %zu KiB of five 255-column tables: peak %ld KiB\n",
                static_cast<std::size_t>(nFileBytes / 1024), check.nPeakKiB);

    // The store reads the columns that lookups use, and nothing else.
    auto pDb = CreateEngineDatabase();
    pDb->Open(strPath);
    auto pRs = pDb->CreateRecordset();
    pRs->Open("HeadLines");
    pRs->SetIndex("IDXNAME");
    ASSERT_TRUE(pRs->Seek({std::int32_t{7}, "NAME56"}));
    EXPECT_EQ(pRs->GetLong("Number"), 7);
    // A field the rows do not carry is loaded when it is read, as NULL.
    EXPECT_THROW(pRs->GetLong("Extra200"), CEngineException);
}

TEST(JetMemory, ATableBeyondTheBoundIsRefusedWithAMessageNamingIt) {
    test::CTempDir dir;
    // Many rows of a 255-column table that carry one field each: loading
    // every column would take more than 64 times the file.
    std::vector<CTableDef> tables = WideProject(255, 1);
    for (int i = 1; i < 50000; ++i) {
        CRowDef row;
        row.cells.emplace_back(std::int32_t{i + 1});
        row.nStoredColumns = 1;
        tables.front().rows.push_back(row);
    }
    const std::string strPath = dir.File("beyond.mdb");
    test::jet::WriteCheckedJetDatabase(strPath, tables);

    jet::CJetFile file(
        std::make_unique<jet::CMemoryPageSource>(test::jet::BuildJetDatabase(tables)));
    EXPECT_LE(file.GetLoadBound(), std::size_t{64} * std::filesystem::file_size(strPath));
    try {
        file.LoadTable(*file.FindTable("Sources"));
        ADD_FAILURE() << "the table loaded";
    } catch (const jet::CJetLimitError& error) {
        EXPECT_NE(std::string(error.what()).find("64 times its size"), std::string::npos)
            << error.what();
    }

    // db convert writes every integer field, so it loads them all: refused.
    const CMeasuredRun convert = RunTool(dir, {"db", "convert", strPath, dir.File("out.sqlite")});
    EXPECT_EQ(convert.nExit, 1);
    EXPECT_NE(convert.strOut.find("'Sources'"), std::string::npos) << convert.strOut;
    EXPECT_NE(convert.strOut.find("MiB in memory"), std::string::npos) << convert.strOut;
    EXPECT_FALSE(std::filesystem::exists(dir.File("out.sqlite")));
    // The library's own lookups read five fields: no refusal there.
    EXPECT_EQ(RunTool(dir, {"db", "check", strPath}).strOut.find("cannot be loaded"),
              std::string::npos);

    // A narrower project converts: only what is written is loaded.
    tables = WideProject(8, 300);
    test::jet::WriteCheckedJetDatabase(dir.File("narrow.mdb"), tables);
    EXPECT_EQ(
        RunTool(dir, {"db", "convert", dir.File("narrow.mdb"), dir.File("narrow.sqlite")}).nExit,
        0);
}

}  // namespace
}  // namespace vd
