#include "projectdb/ProjectSchema.h"

#include <sqlite3.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

#include "common/PathQuoting.h"
#include "common/Strings.h"

namespace vd {

const char* const kProjectSchemaSql = R"SQL(
CREATE TABLE Sources (
  Idx                 INTEGER NOT NULL,
  SourcesStammIdx     INTEGER NOT NULL,
  MainDocHeadLinesIdx INTEGER NOT NULL,
  CompileStammIdx     INTEGER NOT NULL,
  DirectoryListIdx    INTEGER NOT NULL
);
CREATE TABLE SourcesStamm (
  Idx             INTEGER NOT NULL,
  DestinationPath TEXT    NOT NULL,
  Destination     INTEGER NOT NULL
);
CREATE TABLE DirectoryList (
  Idx            INTEGER NOT NULL,
  DestinationIdx INTEGER NOT NULL,
  FileMask       TEXT    NOT NULL,
  Directory      TEXT    NOT NULL
);
CREATE TABLE CompileStamm (
  Idx       INTEGER NOT NULL,
  Extension TEXT    NOT NULL,
  StartPage TEXT    NOT NULL
);
CREATE TABLE HeadLines (
  Idx      INTEGER NOT NULL,
  Position INTEGER NOT NULL,
  Name     TEXT    NOT NULL,
  Number   INTEGER NOT NULL,
  Deep     INTEGER NOT NULL
);
CREATE INDEX Sources_IDX                     ON Sources(Idx);
CREATE INDEX SourcesStamm_IDX                ON SourcesStamm(Idx);
CREATE INDEX DirectoryList_IDXDESTINATIONIDX ON DirectoryList(Idx, DestinationIdx);
CREATE INDEX CompileStamm_IDX                ON CompileStamm(Idx);
CREATE INDEX HeadLines_IDX                   ON HeadLines(Idx, Position);
CREATE INDEX HeadLines_IDXNAME               ON HeadLines(Idx, Name COLLATE NOCASE);
)SQL";

namespace {

struct CDatabaseCloser {
    void operator()(sqlite3* pDb) const noexcept { sqlite3_close_v2(pDb); }
};

bool Execute(sqlite3* pDb, const std::string& strSql, const char* pszWhat,
             std::string* pstrReason) {
    char* pszError = nullptr;
    if (sqlite3_exec(pDb, strSql.c_str(), nullptr, nullptr, &pszError) == SQLITE_OK) return true;
    SetReason(pstrReason,
              std::string(pszWhat) + ": " + (pszError != nullptr ? pszError : sqlite3_errmsg(pDb)));
    sqlite3_free(pszError);
    return false;
}

}  // namespace

bool CreateProjectDatabase(const std::string& strPath, const std::vector<std::string>& sqlTexts,
                           std::string* pstrReason) {
    std::error_code ec;
    const auto status = std::filesystem::symlink_status(strPath, ec);
    if (status.type() != std::filesystem::file_type::not_found) {
        SetReason(pstrReason,
                  "cannot create " + QuotePath(strPath) + ": it exists already (left as it is)");
        return false;
    }
    bool bOk = false;
    {
        sqlite3* pRaw = nullptr;
        const int rc = sqlite3_open_v2(strPath.c_str(), &pRaw,
                                       SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
        std::unique_ptr<sqlite3, CDatabaseCloser> pDb(pRaw);
        if (rc != SQLITE_OK) {
            SetReason(pstrReason,
                      "cannot create " + QuotePath(strPath) + ": " +
                          (pRaw != nullptr ? sqlite3_errmsg(pRaw) : sqlite3_errstr(rc)));
        } else {
            bOk = Execute(pDb.get(), std::string("BEGIN;") + kProjectSchemaSql + "COMMIT;",
                          ("cannot create " + QuotePath(strPath)).c_str(), pstrReason);
            for (std::size_t i = 0; bOk && i < sqlTexts.size(); ++i) {
                bOk = Execute(pDb.get(), sqlTexts[i], ("SQL text " + std::to_string(i + 1)).c_str(),
                              pstrReason);
            }
            if (pDb && sqlite3_close(pDb.get()) == SQLITE_OK) {
                (void)pDb.release();
            } else if (bOk) {
                SetReason(pstrReason,
                          "cannot close " + QuotePath(strPath) + ": " + sqlite3_errmsg(pDb.get()));
                bOk = false;
            }
        }
    }
    if (!bOk) std::remove(strPath.c_str());
    return bOk;
}

}  // namespace vd
