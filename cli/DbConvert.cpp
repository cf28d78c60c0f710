#include "cli/DbConvert.h"

#include "common/PathQuoting.h"

#include <cstdio>
#include <string>
#include <vector>

#include "cli/Command.h"

#include <sqlite3.h>

#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <new>
#include <system_error>

#include "hypergraphics/EngineReason.h"
#include "projectdb/EngineException.h"
#include "projectdb/JetFile.h"
#include "projectdb/JetPageFile.h"

namespace vd::cli {

namespace {

using jet::CJetColumn;
using jet::CJetTableContents;

// A field of the documented schema and whether it holds text.
struct CDocumentedField {
    const char* pszName;
    bool bText;
};
struct CDocumentedIndex {
    const char* pszName;
    std::vector<const char*> keys;
};
struct CDocumentedTable {
    const char* pszName;
    std::vector<CDocumentedField> fields;
    std::vector<CDocumentedIndex> indexes;
};

// The five tables of a project database, their fields and named indexes.
const std::vector<CDocumentedTable>& DocumentedTables() {
    static const std::vector<CDocumentedTable> tables = {
        {"Sources",
         {{"Idx", false},
          {"SourcesStammIdx", false},
          {"MainDocHeadLinesIdx", false},
          {"CompileStammIdx", false},
          {"DirectoryListIdx", false}},
         {{"IDX", {"Idx"}}}},
        {"SourcesStamm",
         {{"Idx", false}, {"DestinationPath", true}, {"Destination", false}},
         {{"IDX", {"Idx"}}}},
        {"DirectoryList",
         {{"Idx", false}, {"DestinationIdx", false}, {"FileMask", true}, {"Directory", true}},
         {{"IDXDESTINATIONIDX", {"Idx", "DestinationIdx"}}}},
        {"CompileStamm",
         {{"Idx", false}, {"Extension", true}, {"StartPage", true}},
         {{"IDX", {"Idx"}}}},
        {"HeadLines",
         {{"Idx", false}, {"Position", false}, {"Name", true}, {"Number", false}, {"Deep", false}},
         {{"IDX", {"Idx", "Position"}}, {"IDXNAME", {"Idx", "Name"}}}},
    };
    return tables;
}

bool IsIntegerType(std::uint8_t nType) {
    return nType == jet::COLUMN_BOOLEAN || nType == jet::COLUMN_BYTE ||
           nType == jet::COLUMN_INTEGER || nType == jet::COLUMN_LONG;
}
bool IsTextType(std::uint8_t nType) {
    return nType == jet::COLUMN_TEXT || nType == jet::COLUMN_MEMO;
}

std::string Quote(const std::string& strName) {
    std::string out = "\"";
    for (const char c : strName) {
        out += c;
        if (c == '"') out += '"';
    }
    return out + "\"";
}

// What is written for one table: the columns copied (by position in the
// Jet table) and their SQL declarations.
struct CTablePlan {
    const CDocumentedTable* pDocumented = nullptr;
    CJetTableContents contents;
    std::vector<std::size_t> columns;
    std::string strCreate;
    std::vector<std::string> indexSql;
};

struct CFailure {
    std::string strReason;
};

const CDocumentedField* FindDocumented(const CDocumentedTable& table, const std::string& strName) {
    for (const CDocumentedField& field : table.fields) {
        if (jet::EqualNoCase(field.pszName, strName)) return &field;
    }
    return nullptr;
}

CTablePlan PlanTable(jet::CJetFile& file, const CDocumentedTable& documented,
                     std::vector<std::string>& notes) {
    CTablePlan plan;
    plan.pDocumented = &documented;
    const jet::CCatalogEntry* pEntry = file.FindTable(documented.pszName);
    if (pEntry == nullptr || !pEntry->IsTable()) {
        throw CFailure{std::string("it has no table '") + documented.pszName + "'"};
    }
    // Only the fields that are written are loaded: integers and texts.
    try {
        plan.contents = file.OpenTable(*pEntry);
        std::vector<std::size_t> written;
        for (std::size_t c = 0; c < plan.contents.definition.columns.size(); ++c) {
            const std::uint8_t nType = plan.contents.definition.columns[c].nType;
            if (IsIntegerType(nType) || IsTextType(nType)) written.push_back(c);
        }
        file.LoadColumns(plan.contents, written);
    } catch (const jet::CJetFormatError& error) {
        throw CFailure{std::string("it is damaged: table '") + documented.pszName +
                       "': " + error.what()};
    } catch (const jet::CJetLimitError& error) {
        throw CFailure{"the table '" + std::string(documented.pszName) +
                       "' cannot be loaded: " + error.what()};
    } catch (const std::bad_alloc&) {
        throw CFailure{"there is not enough memory to load the table '" +
                       std::string(documented.pszName) + "'"};
    }
    const auto& columns = plan.contents.definition.columns;
    const std::string strTable = documented.pszName;

    // Every documented field must be there, of its kind, and never NULL.
    for (const CDocumentedField& field : documented.fields) {
        std::size_t c = 0;
        while (c < columns.size() && !jet::EqualNoCase(columns[c].strName, field.pszName)) ++c;
        if (c == columns.size()) {
            throw CFailure{"the table '" + strTable + "' has no field '" + field.pszName + "'"};
        }
        const bool bKindOk =
            field.bText ? IsTextType(columns[c].nType) : IsIntegerType(columns[c].nType);
        if (!bKindOk) {
            throw CFailure{"the field '" + strTable + "." + field.pszName + "' is a " +
                           jet::ColumnTypeName(columns[c].nType) + " field, not " +
                           (field.bText ? "a text" : "an integer") + " field"};
        }
        for (std::size_t r = 0; r < plan.contents.GetRowCount(); ++r) {
            if (plan.contents.At(r, c).eKind == jet::EValueKind::null) {
                throw CFailure{"the field '" + strTable + "." + field.pszName +
                               "' is NULL in row " + std::to_string(r + 1) +
                               "; the project database schema does not allow that"};
            }
        }
    }

    std::string strColumns;
    for (std::size_t c = 0; c < columns.size(); ++c) {
        const CJetColumn& column = columns[c];
        const bool bText = IsTextType(column.nType);
        if (!bText && !IsIntegerType(column.nType)) {
            notes.push_back("left out the field '" + strTable + "." + column.strName + "' (" +
                            jet::ColumnTypeName(column.nType) + ")");
            continue;
        }
        const CDocumentedField* pField = FindDocumented(documented, column.strName);
        plan.columns.push_back(c);
        if (!strColumns.empty()) strColumns += ",\n";
        strColumns += "  " + Quote(pField != nullptr ? pField->pszName : column.strName) +
                      (bText ? " TEXT" : " INTEGER") + (pField != nullptr ? " NOT NULL" : "");
    }
    plan.strCreate = "CREATE TABLE " + Quote(strTable) + " (\n" + strColumns + "\n);\n";

    // The named indexes of the Jet table, then any documented one it lacks.
    auto keySql = [&](std::size_t nColumn, bool bAscending) {
        const CJetColumn& column = columns[nColumn];
        const CDocumentedField* pField = FindDocumented(documented, column.strName);
        return Quote(pField != nullptr ? pField->pszName : column.strName) +
               (IsTextType(column.nType) ? " COLLATE NOCASE" : "") + (bAscending ? "" : " DESC");
    };
    auto copied = [&](std::size_t nColumn) {
        for (const std::size_t c : plan.columns) {
            if (c == nColumn) return true;
        }
        return false;
    };
    std::vector<std::string> indexNames;
    for (const jet::CJetIndex& index : plan.contents.definition.indexes) {
        std::string strKeys;
        bool bUsable = !index.keys.empty();
        for (const jet::CJetIndexKey& key : index.keys) {
            bUsable = bUsable && copied(key.nColumn);
            if (!strKeys.empty()) strKeys += ", ";
            if (bUsable) strKeys += keySql(key.nColumn, key.bAscending);
        }
        if (!bUsable) {
            notes.push_back("left out the index '" + strTable + "." + index.strName +
                            "' (its key fields were left out)");
            continue;
        }
        plan.indexSql.push_back("CREATE INDEX " + Quote(strTable + "_" + index.strName) + " ON " +
                                Quote(strTable) + "(" + strKeys + ");\n");
        indexNames.push_back(index.strName);
    }
    for (const CDocumentedIndex& index : documented.indexes) {
        bool bPresent = false;
        for (const std::string& strName : indexNames)
            bPresent = bPresent || jet::EqualNoCase(strName, index.pszName);
        if (bPresent) continue;
        std::string strKeys;
        for (const char* pszKey : index.keys) {
            std::size_t c = 0;
            while (!jet::EqualNoCase(columns[c].strName, pszKey)) ++c;  // checked above
            if (!strKeys.empty()) strKeys += ", ";
            strKeys += keySql(c, true);
        }
        notes.push_back("added the index '" + strTable + "." + index.pszName +
                        "', which the source lacks");
        plan.indexSql.push_back("CREATE INDEX " + Quote(strTable + "_" + index.pszName) + " ON " +
                                Quote(strTable) + "(" + strKeys + ");\n");
    }
    return plan;
}

struct CDatabaseCloser {
    void operator()(sqlite3* pDb) const noexcept { sqlite3_close_v2(pDb); }
};
struct CStatementFinalizer {
    void operator()(sqlite3_stmt* pStmt) const noexcept { sqlite3_finalize(pStmt); }
};

void Execute(sqlite3* pDb, const std::string& strSql) {
    char* pszError = nullptr;
    if (sqlite3_exec(pDb, strSql.c_str(), nullptr, nullptr, &pszError) == SQLITE_OK) return;
    const std::string strError = pszError != nullptr ? pszError : sqlite3_errmsg(pDb);
    sqlite3_free(pszError);
    throw CFailure{"writing failed: " + strError};
}

void WriteTable(sqlite3* pDb, const CTablePlan& plan) {
    const auto& columns = plan.contents.definition.columns;
    std::string strNames, strParams;
    for (const std::size_t c : plan.columns) {
        const CDocumentedField* pField = FindDocumented(*plan.pDocumented, columns[c].strName);
        if (!strNames.empty()) {
            strNames += ", ";
            strParams += ", ";
        }
        strNames += Quote(pField != nullptr ? pField->pszName : columns[c].strName);
        strParams += "?";
    }
    const std::string strSql = "INSERT INTO " + Quote(plan.pDocumented->pszName) + " (" + strNames +
                               ") VALUES (" + strParams + ")";
    sqlite3_stmt* pRaw = nullptr;
    if (sqlite3_prepare_v2(pDb, strSql.c_str(), -1, &pRaw, nullptr) != SQLITE_OK) {
        throw CFailure{std::string("writing failed: ") + sqlite3_errmsg(pDb)};
    }
    std::unique_ptr<sqlite3_stmt, CStatementFinalizer> pStmt(pRaw);
    // Rows in the order they are stored, so that records with equal keys
    // keep their order (by rowid) in the new file.
    for (std::size_t r = 0; r < plan.contents.GetRowCount(); ++r) {
        int nParam = 1;
        for (const std::size_t c : plan.columns) {
            const jet::CJetValue value = plan.contents.At(r, c);
            if (value.eKind == jet::EValueKind::integer) {
                sqlite3_bind_int(pStmt.get(), nParam, value.nInteger);
            } else if (value.eKind == jet::EValueKind::text) {
                sqlite3_bind_text64(pStmt.get(), nParam, value.strText.data(), value.strText.size(),
                                    SQLITE_TRANSIENT, SQLITE_UTF8);
            } else {
                sqlite3_bind_null(pStmt.get(), nParam);
            }
            ++nParam;
        }
        if (sqlite3_step(pStmt.get()) != SQLITE_DONE) {
            throw CFailure{"a row of the table '" + std::string(plan.pDocumented->pszName) +
                           "' cannot be written: " + sqlite3_errmsg(pDb)};
        }
        sqlite3_reset(pStmt.get());
        sqlite3_clear_bindings(pStmt.get());
    }
}

bool IsSqliteFile(const std::string& strPath) {
    std::ifstream in(strPath, std::ios::binary);
    std::array<char, 16> head{};
    in.read(head.data(), head.size());
    return in.gcount() == 16 && std::memcmp(head.data(), "SQLite format 3", 16) == 0;
}

// Writes the plans into the new SQLite file strOut; removes it on failure.
void WriteDatabase(const std::string& strOut, const std::vector<CTablePlan>& plans) {
    sqlite3* pRaw = nullptr;
    const int rc =
        sqlite3_open_v2(strOut.c_str(), &pRaw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    std::unique_ptr<sqlite3, CDatabaseCloser> pDb(pRaw);
    try {
        if (rc != SQLITE_OK) {
            throw CFailure{"cannot create " + QuotePath(strOut) + ": " +
                           (pRaw != nullptr ? sqlite3_errmsg(pRaw) : sqlite3_errstr(rc))};
        }
        Execute(pDb.get(), "BEGIN");
        for (const CTablePlan& plan : plans) Execute(pDb.get(), plan.strCreate);
        for (const CTablePlan& plan : plans) {
            for (const std::string& strSql : plan.indexSql) Execute(pDb.get(), strSql);
        }
        for (const CTablePlan& plan : plans) WriteTable(pDb.get(), plan);
        Execute(pDb.get(), "COMMIT");
        if (sqlite3_close(pDb.get()) != SQLITE_OK) {
            throw CFailure{"cannot close " + QuotePath(strOut) + ": " + sqlite3_errmsg(pDb.get())};
        }
        (void)pDb.release();
    } catch (const CFailure&) {
        pDb.reset();
        std::remove(strOut.c_str());
        throw;
    }
}

}  // namespace

int RunDbConvert(const std::vector<std::string>& args) {
    if (args.size() != 2) return UsageError(kDbCommand, "convert needs SOURCE and OUT");
    const std::string& strSource = args[0];
    const std::string& strOut = args[1];
    std::error_code ec;
    if (std::filesystem::symlink_status(strOut, ec).type() !=
        std::filesystem::file_type::not_found) {
        return Fail("db convert: cannot create " + QuotePath(strOut) +
                    ": it exists already (left as it is)");
    }
    if (IsSqliteFile(strSource)) {
        return Fail("db convert: cannot convert " + QuotePath(strSource) +
                    ": it is an SQLite project database already");
    }
    std::vector<std::string> notes;
    std::vector<CTablePlan> plans;
    try {
        // Everything is read and checked before the output is created.
        jet::CJetFile file(jet::OpenJetPageFile(strSource));
        try {
            file.GetCatalog();
        } catch (const jet::CJetFormatError& error) {
            throw CFailure{std::string("it is damaged: its catalog: ") + error.what()};
        } catch (const jet::CJetLimitError& error) {
            throw CFailure{std::string("its catalog cannot be loaded: ") + error.what()};
        }
        for (const CDocumentedTable& table : DocumentedTables()) {
            plans.push_back(PlanTable(file, table, notes));
        }
        WriteDatabase(strOut, plans);
    } catch (const CEngineException& error) {
        return Fail("db convert: cannot convert " + QuotePath(strSource) + ": " +
                    EngineReason(error.GetDescription(), strSource));
    } catch (const CFailure& failure) {
        // Failures of the output name it; all others are the source's.
        const bool bNamesPath = failure.strReason.rfind("cannot ", 0) == 0;
        return Fail("db convert: " +
                    (bNamesPath
                         ? failure.strReason
                         : "cannot convert " + QuotePath(strSource) + ": " + failure.strReason) +
                    "; nothing was written");
    }
    for (const std::string& strNote : notes) std::printf("%s\n", strNote.c_str());
    for (const CTablePlan& plan : plans) {
        const std::size_t nRows = plan.contents.GetRowCount();
        std::printf("%s: %zu %s\n", plan.pDocumented->pszName, nRows, nRows == 1 ? "row" : "rows");
    }
    std::printf("Wrote '%s'.\n", strOut.c_str());
    return kExitSuccess;
}

}  // namespace vd::cli
