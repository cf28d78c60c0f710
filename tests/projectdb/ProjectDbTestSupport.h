// Real SQLite project databases for the tests of the project database layer.
#pragma once

#include <sqlite3.h>

#include <string>

#include "frame/LibraryState.h"
#include "projectdb/Session.h"
#include "tests/TestSupport.h"

namespace vd::test {

// Creates the SQLite file strPath and runs strSql on it; fails the test on
// any SQLite error.
inline void BuildDatabase(const std::string& strPath, const std::string& strSql) {
    sqlite3* pDb = nullptr;
    ASSERT_EQ(
        sqlite3_open_v2(strPath.c_str(), &pDb, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr),
        SQLITE_OK);
    char* pszError = nullptr;
    const int rc = sqlite3_exec(pDb, strSql.c_str(), nullptr, nullptr, &pszError);
    const std::string strError = pszError != nullptr ? pszError : "";
    sqlite3_free(pszError);
    sqlite3_close(pDb);
    ASSERT_EQ(rc, SQLITE_OK) << strError;
}

// The shared sample project script (sample-project.sql).
inline std::string SampleProjectSql() {
    const auto bytes = ReadBytes(TestDataDir() / "mdb" / "sample-project.sql");
    return std::string(bytes.begin(), bytes.end());
}

// The library-wide session is closed and the flag cleared before and after
// each test, as after a fresh load.
class CSessionTest : public ::testing::Test {
  protected:
    void SetUp() override { Reset(); }
    void TearDown() override { Reset(); }
    static void Reset() {
        CloseProjectDatabase();
        g_bDatabaseOpen = 0;
    }
};

}  // namespace vd::test
