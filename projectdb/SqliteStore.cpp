// The SQLite store: a project database in an SQLite 3 file, opened read-only.
//
// A table's named index NAME is the SQLite index "<Table>_<NAME>"; its key
// columns, in order, are the index's key fields, and records with equal keys
// follow in rowid order. Every positioning is one indexed query (a search in
// the index b-tree, never a scan of the table): a seek is an equality search
// on the leading key columns, a move to the next record a search for the
// first entry after the current record's keys and rowid. The current record
// is read whole into memory, so reading its fields costs no further query.
#include <sqlite3.h>

#include <cstdint>
#include <limits>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "projectdb/Stores.h"

#include "common/PathQuoting.h"

namespace vd {
namespace {

// Case-insensitive comparison of ASCII names (SQLite identifiers and the
// engine's field names compare without regard to letter case).
char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
    }
    return true;
}

struct CNameLess {
    bool operator()(const std::string& a, const std::string& b) const {
        const std::size_t n = a.size() < b.size() ? a.size() : b.size();
        for (std::size_t i = 0; i < n; ++i) {
            const char ca = FoldAscii(a[i]);
            const char cb = FoldAscii(b[i]);
            if (ca != cb) return static_cast<unsigned char>(ca) < static_cast<unsigned char>(cb);
        }
        return a.size() < b.size();
    }
};

// An SQL identifier in double quotes.
std::string Quote(const std::string& strName) {
    std::string out = "\"";
    for (char c : strName) {
        out += c;
        if (c == '"') out += '"';
    }
    return out + "\"";
}

// The SQL parameter with number n ("?n").
std::string Param(std::size_t n) {
    std::string strParam = "?";
    strParam += std::to_string(n);
    return strParam;
}

std::string ColumnText(sqlite3_stmt* pStmt, int nColumn) {
    const auto* p = static_cast<const char*>(sqlite3_column_blob(pStmt, nColumn));
    const int nBytes = sqlite3_column_bytes(pStmt, nColumn);
    return (p != nullptr && nBytes > 0) ? std::string(p, static_cast<std::size_t>(nBytes))
                                        : std::string();
}

// The open SQLite connection, shared by the database object and its
// recordsets so that it outlives every prepared statement.
class CConnection {
  public:
    explicit CConnection(std::string strPath) : m_strPath(std::move(strPath)) {
        sqlite3* pDb = nullptr;
        // SQLite takes file names in UTF-8, as the library keeps them.
        const int rc = sqlite3_open_v2(m_strPath.c_str(), &pDb, SQLITE_OPEN_READONLY, nullptr);
        m_pDb = pDb;  // a handle comes back even on most failures; it must be closed
        if (rc != SQLITE_OK) {
            const std::string strMessage =
                pDb != nullptr ? sqlite3_errmsg(pDb) : sqlite3_errstr(rc);
            sqlite3_close_v2(m_pDb);
            m_pDb = nullptr;
            throw CEngineException("Cannot open the project database " + QuotePath(m_strPath) +
                                   ": " + strMessage);
        }
        sqlite3_extended_result_codes(m_pDb, 1);
        // The host may be writing the file; wait for its lock instead of failing.
        sqlite3_busy_timeout(m_pDb, 5000);
    }
    ~CConnection() { sqlite3_close_v2(m_pDb); }
    CConnection(const CConnection&) = delete;
    CConnection& operator=(const CConnection&) = delete;

    sqlite3* Handle() const { return m_pDb; }
    const std::string& Path() const { return m_strPath; }
    std::string Where() const { return " (project database " + QuotePath(m_strPath) + ")"; }

    // A read transaction over nested scopes: one shared lock and one look at
    // the file's state instead of one per statement.
    void BeginReading() {
        if (m_nReading == 0 &&
            sqlite3_exec(m_pDb, "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK) {
            Fail("Cannot start reading");
        }
        ++m_nReading;
    }
    void EndReading() noexcept {
        if (m_nReading == 0 || --m_nReading > 0) return;
        if (sqlite3_exec(m_pDb, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
            sqlite3_exec(m_pDb, "ROLLBACK", nullptr, nullptr, nullptr);
        }
    }

    // Raises the engine error for the connection's last failure.
    [[noreturn]] void Fail(const std::string& strWhat) const {
        throw CEngineException(strWhat + ": " + sqlite3_errmsg(m_pDb) + Where());
    }

  private:
    std::string m_strPath;
    sqlite3* m_pDb = nullptr;
    int m_nReading = 0;
};

struct CStatementDeleter {
    void operator()(sqlite3_stmt* pStmt) const noexcept { sqlite3_finalize(pStmt); }
};
using CStatement = std::unique_ptr<sqlite3_stmt, CStatementDeleter>;

CStatement Prepare(const CConnection& conn, const std::string& strSql, const std::string& strWhat) {
    sqlite3_stmt* pStmt = nullptr;
    const int rc = sqlite3_prepare_v3(conn.Handle(), strSql.c_str(), -1, SQLITE_PREPARE_PERSISTENT,
                                      &pStmt, nullptr);
    CStatement stmt(pStmt);
    if (rc != SQLITE_OK || !stmt) conn.Fail(strWhat);
    return stmt;
}

// Resets a statement before and after use, so that no read transaction stays
// open between engine calls.
class CStatementUse {
  public:
    explicit CStatementUse(sqlite3_stmt* pStmt) : m_pStmt(pStmt) {
        sqlite3_reset(m_pStmt);
        sqlite3_clear_bindings(m_pStmt);
    }
    ~CStatementUse() { sqlite3_reset(m_pStmt); }
    CStatementUse(const CStatementUse&) = delete;
    CStatementUse& operator=(const CStatementUse&) = delete;

  private:
    sqlite3_stmt* m_pStmt;
};

// One field value of the current record.
struct CFieldValue {
    int nType = SQLITE_NULL;  // SQLITE_INTEGER, SQLITE_FLOAT, SQLITE_TEXT, SQLITE_BLOB, SQLITE_NULL
    std::int64_t nInteger = 0;
    double dReal = 0.0;
    std::string strBytes;  // text or blob
};

// A named index of the table and the statements that walk it. The table's
// natural order (rowid) is an index without key columns.
struct CIndex {
    std::string strSqlName;  // "" for the natural order
    struct CKey {
        std::size_t nColumn;    // position in the table's column list
        std::string strColumn;  // quoted column name
        std::string strCollate;
    };
    std::vector<CKey> keys;
    CStatement first;
    std::vector<CStatement> seeks;  // seeks[n - 1]: equality on the first n keys
    CStatement next;                // the record after given keys and rowid
};

class CSqliteRecordset final : public CEngineRecordset {
  public:
    explicit CSqliteRecordset(std::shared_ptr<CConnection> pConn) : m_pConn(std::move(pConn)) {}
    ~CSqliteRecordset() override { Close(); }

    void Open(const std::string& strTable) override {
        Close();
        if (!m_pConn) throw CEngineException("The database of this recordset is closed.");
        const CConnection& conn = *m_pConn;

        // The table's own name and its columns.
        {
            CStatement stmt = Prepare(conn,
                                      "SELECT name FROM sqlite_master WHERE type = 'table' AND "
                                      "name = ?1 COLLATE NOCASE",
                                      "Cannot look up the table '" + strTable + "'");
            sqlite3_bind_text(stmt.get(), 1, strTable.c_str(), -1, SQLITE_TRANSIENT);
            const int rc = sqlite3_step(stmt.get());
            if (rc == SQLITE_DONE) {
                throw CEngineException("The project database " + QuotePath(conn.Path()) +
                                       " has no table '" + strTable + "'.");
            }
            if (rc != SQLITE_ROW) conn.Fail("Cannot look up the table '" + strTable + "'");
            m_strTable = ColumnText(stmt.get(), 0);
        }
        std::vector<std::string> columns;
        {
            CStatement stmt = Prepare(conn, "SELECT name FROM pragma_table_info(?1)",
                                      "Cannot read the columns of table '" + m_strTable + "'");
            sqlite3_bind_text(stmt.get(), 1, m_strTable.c_str(), -1, SQLITE_TRANSIENT);
            int rc;
            while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW) {
                columns.push_back(ColumnText(stmt.get(), 0));
            }
            if (rc != SQLITE_DONE) {
                conn.Fail("Cannot read the columns of table '" + m_strTable + "'");
            }
        }
        // The rowid under a name that no column hides.
        std::string strRowid;
        for (const char* pszAlias : {"rowid", "_rowid_", "oid"}) {
            bool bTaken = false;
            for (const std::string& strColumn : columns)
                bTaken = bTaken || SameName(strColumn, pszAlias);
            if (!bTaken) {
                strRowid = pszAlias;
                break;
            }
        }
        if (strRowid.empty()) {
            throw CEngineException("Table '" + m_strTable +
                                   "' hides its rowid behind columns named rowid, _rowid_ and "
                                   "oid" +
                                   conn.Where());
        }
        m_columns = std::move(columns);
        m_strRowid = strRowid;
        m_strSelect = "SELECT " + m_strRowid;
        for (const std::string& strColumn : m_columns) m_strSelect += ", " + Quote(strColumn);
        m_strSelect += " FROM " + Quote(m_strTable);
        m_byRowid = Prepare(conn, m_strSelect + " WHERE " + m_strRowid + " = ?1",
                            "Cannot read table '" + m_strTable + "'");
        // WITHOUT ROWID tables fail above: they have no record order to keep.

        m_natural = std::make_unique<CIndex>();
        PrepareStatements(*m_natural);
        m_pIndex = m_natural.get();
        m_bOpen = true;
        MoveFirst();
    }

    bool IsOpen() const override { return m_bOpen; }

    void Close() override {
        m_bOpen = false;
        m_pIndex = nullptr;
        m_indexes.clear();
        m_natural.reset();
        m_byRowid.reset();
        m_bHasRecord = false;
        m_bBOF = m_bEOF = true;
        m_row.clear();
    }

    void SetIndex(const std::string& strIndex) override {
        RequireOpen();
        auto it = m_indexes.find(strIndex);
        if (it == m_indexes.end()) {
            it = m_indexes.emplace(strIndex, LoadIndex(strIndex)).first;
        }
        // The current record stays current; it now stands at its place in the
        // new order.
        m_pIndex = it->second.get();
    }

    void MoveFirst() override {
        RequireOpen();
        if (!Fetch(m_pIndex->first.get(), {})) {
            m_bBOF = m_bEOF = true;  // no record at all
        }
    }

    void MoveNext() override {
        RequireOpen();
        RequireRecord("MoveNext");
        std::vector<const CFieldValue*> keys;
        for (const CIndex::CKey& key : m_pIndex->keys) {
            const CFieldValue& value = m_row[key.nColumn];
            if (value.nType == SQLITE_NULL) {
                throw CEngineException("Cannot move on in table '" + m_strTable +
                                       "': the key field " + key.strColumn + " of record " +
                                       std::to_string(m_nRowid) + " is NULL" + m_pConn->Where());
            }
            keys.push_back(&value);
        }
        const std::int64_t nRowid = m_nRowid;
        sqlite3_stmt* pNext = m_pIndex->next.get();
        {
            CStatementUse use(pNext);
            int nParam = 1;
            for (const CFieldValue* pValue : keys) BindValue(pNext, nParam++, *pValue);
            sqlite3_bind_int64(pNext, nParam, nRowid);
            if (StepInto(pNext)) return;
        }
        m_bHasRecord = false;
        m_bBOF = false;
        m_bEOF = true;
    }

    bool IsBOF() const override { return m_bBOF; }
    bool IsEOF() const override { return m_bEOF; }

    bool Seek(std::span<const CKeyValue> keys) override {
        RequireOpen();
        if (m_pIndex == m_natural.get()) {
            throw CEngineException("Seek on table '" + m_strTable + "' needs an index" +
                                   m_pConn->Where());
        }
        if (keys.empty() || keys.size() > m_pIndex->keys.size()) {
            throw CEngineException(
                "Seek on index '" + m_pIndex->strSqlName + "' of table '" + m_strTable +
                "' was given " + std::to_string(keys.size()) + " key values; the index has " +
                std::to_string(m_pIndex->keys.size()) + " key fields" + m_pConn->Where());
        }
        if (Fetch(m_pIndex->seeks[keys.size() - 1].get(), keys)) return true;
        // No match: no current record.
        m_bHasRecord = false;
        m_row.clear();
        m_bEOF = true;
        m_bBOF = IsTableEmpty();
        return false;
    }

    std::int32_t GetLong(const std::string& strField) override {
        const CFieldValue& value = Field(strField);
        if (value.nType == SQLITE_NULL) FieldError(strField, "is NULL");
        if (value.nType != SQLITE_INTEGER) FieldError(strField, "is not an integer");
        if (value.nInteger < std::numeric_limits<std::int32_t>::min() ||
            value.nInteger > std::numeric_limits<std::int32_t>::max()) {
            FieldError(strField,
                       "does not fit in 32 bits (" + std::to_string(value.nInteger) + ")");
        }
        return static_cast<std::int32_t>(value.nInteger);
    }

    std::string GetText(const std::string& strField) override {
        const CFieldValue& value = Field(strField);
        if (value.nType == SQLITE_NULL) FieldError(strField, "is NULL");
        if (value.nType != SQLITE_TEXT && value.nType != SQLITE_BLOB) {
            FieldError(strField, "is not text");
        }
        return value.strBytes;
    }

    CBookmark GetBookmark() override {
        RequireOpen();
        RequireRecord("GetBookmark");
        return CBookmark{m_nRowid};
    }

    void SetBookmark(const CBookmark& bookmark) override {
        RequireOpen();
        if (m_bHasRecord && bookmark.nToken == m_nRowid) return;  // already current
        sqlite3_stmt* pStmt = m_byRowid.get();
        CStatementUse use(pStmt);
        sqlite3_bind_int64(pStmt, 1, bookmark.nToken);
        if (!StepInto(pStmt)) {
            throw CEngineException("The bookmark does not name a record of table '" + m_strTable +
                                   "'" + m_pConn->Where());
        }
    }

  private:
    void RequireOpen() const {
        if (!m_bOpen) throw CEngineException("The recordset is not open.");
    }

    void RequireRecord(const char* pszOperation) const {
        if (!m_bHasRecord) {
            throw CEngineException(std::string(pszOperation) + ": no current record in table '" +
                                   m_strTable + "'" + m_pConn->Where());
        }
    }

    [[noreturn]] void FieldError(const std::string& strField, const std::string& strProblem) const {
        throw CEngineException("The field '" + strField + "' of table '" + m_strTable + "' " +
                               strProblem + " in record " + std::to_string(m_nRowid) +
                               m_pConn->Where());
    }

    const CFieldValue& Field(const std::string& strField) const {
        RequireOpen();
        for (std::size_t i = 0; i < m_columns.size(); ++i) {
            if (SameName(m_columns[i], strField)) {
                RequireRecord(("Reading the field '" + strField + "'").c_str());
                return m_row[i];
            }
        }
        throw CEngineException("Table '" + m_strTable + "' has no field '" + strField + "'" +
                               m_pConn->Where());
    }

    std::unique_ptr<CIndex> LoadIndex(const std::string& strIndex) {
        const CConnection& conn = *m_pConn;
        const std::string strWanted = m_strTable + "_" + strIndex;
        auto pIndex = std::make_unique<CIndex>();
        {
            CStatement stmt = Prepare(conn, "SELECT name, partial FROM pragma_index_list(?1)",
                                      "Cannot read the indexes of table '" + m_strTable + "'");
            sqlite3_bind_text(stmt.get(), 1, m_strTable.c_str(), -1, SQLITE_TRANSIENT);
            int rc;
            bool bPartial = false;
            while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW) {
                std::string strName = ColumnText(stmt.get(), 0);
                if (SameName(strName, strWanted)) {
                    pIndex->strSqlName = std::move(strName);
                    bPartial = sqlite3_column_int(stmt.get(), 1) != 0;
                    break;
                }
            }
            if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
                conn.Fail("Cannot read the indexes of table '" + m_strTable + "'");
            }
            if (pIndex->strSqlName.empty()) {
                throw CEngineException("Table '" + m_strTable + "' has no index '" + strIndex +
                                       "' (an SQLite index named '" + strWanted + "')" +
                                       conn.Where());
            }
            if (bPartial) {
                throw CEngineException("The index '" + pIndex->strSqlName + "' of table '" +
                                       m_strTable + "' is partial; it must hold every record" +
                                       conn.Where());
            }
        }
        {
            CStatement stmt = Prepare(conn,
                                      "SELECT cid, name, desc, coll FROM pragma_index_xinfo(?1) "
                                      "WHERE key = 1 ORDER BY seqno",
                                      "Cannot read the index '" + pIndex->strSqlName + "'");
            sqlite3_bind_text(stmt.get(), 1, pIndex->strSqlName.c_str(), -1, SQLITE_TRANSIENT);
            int rc;
            while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW) {
                const int nCid = sqlite3_column_int(stmt.get(), 0);
                const std::string strName = ColumnText(stmt.get(), 1);
                if (nCid < 0 || static_cast<std::size_t>(nCid) >= m_columns.size()) {
                    throw CEngineException("The index '" + pIndex->strSqlName +
                                           "' has a key that is not a column of table '" +
                                           m_strTable + "'" + conn.Where());
                }
                if (sqlite3_column_int(stmt.get(), 2) != 0) {
                    throw CEngineException("The index '" + pIndex->strSqlName +
                                           "' sorts the column '" + strName +
                                           "' in descending order; only ascending keys are "
                                           "supported" +
                                           conn.Where());
                }
                pIndex->keys.push_back({static_cast<std::size_t>(nCid),
                                        Quote(m_columns[static_cast<std::size_t>(nCid)]),
                                        ColumnText(stmt.get(), 3)});
            }
            if (rc != SQLITE_DONE) conn.Fail("Cannot read the index '" + pIndex->strSqlName + "'");
            if (pIndex->keys.empty()) {
                throw CEngineException("The index '" + pIndex->strSqlName + "' has no key columns" +
                                       conn.Where());
            }
        }
        PrepareStatements(*pIndex);
        return pIndex;
    }

    void PrepareStatements(CIndex& index) {
        const CConnection& conn = *m_pConn;
        const std::string strWhat =
            "Cannot walk table '" + m_strTable + "'" +
            (index.strSqlName.empty() ? std::string() : " by index '" + index.strSqlName + "'");
        std::string strFrom = m_strSelect;
        std::string strOrder = " ORDER BY ";
        if (!index.strSqlName.empty()) {
            strFrom += " INDEXED BY " + Quote(index.strSqlName);
            for (const CIndex::CKey& key : index.keys) {
                strOrder += key.strColumn + " COLLATE " + Quote(key.strCollate) + ", ";
            }
        }
        strOrder += m_strRowid + " LIMIT 1";

        auto equalKeys = [&](std::size_t nKeys) {
            std::string strWhere;
            for (std::size_t i = 0; i < nKeys; ++i) {
                const CIndex::CKey& key = index.keys[i];
                if (i > 0) strWhere += " AND ";
                strWhere += key.strColumn;
                strWhere += " = ";
                strWhere += Param(i + 1);
                strWhere += " COLLATE ";
                strWhere += Quote(key.strCollate);
            }
            return strWhere;
        };

        const std::size_t nKeys = index.keys.size();
        index.first = Prepare(conn, strFrom + strOrder, strWhat);
        for (std::size_t n = 1; n <= nKeys; ++n) {
            index.seeks.push_back(
                Prepare(conn, strFrom + " WHERE " + equalKeys(n) + strOrder, strWhat));
        }
        // The next record: the same keys and a larger rowid, else the first
        // record with larger keys; one statement, two index searches.
        std::string strSame = strFrom + " WHERE " + equalKeys(nKeys);
        if (nKeys > 0) strSame += " AND ";
        strSame += m_strRowid;
        strSame += " > ";
        strSame += Param(nKeys + 1);
        strSame += strOrder;
        if (nKeys == 0) {
            index.next = Prepare(conn, strSame, strWhat);
            return;
        }
        // A row-value comparison: SQLite searches the index for the first
        // entry past the given keys (the collation on the right-hand side
        // keeps the comparison usable as an index range).
        std::string strLeft;
        std::string strRight;
        for (std::size_t i = 0; i < nKeys; ++i) {
            const CIndex::CKey& key = index.keys[i];
            if (i > 0) {
                strLeft += ", ";
                strRight += ", ";
            }
            strLeft += key.strColumn;
            strRight += Param(i + 1);
            strRight += " COLLATE ";
            strRight += Quote(key.strCollate);
        }
        const std::string strGreater =
            nKeys == 1 ? strLeft + " > " + strRight : "(" + strLeft + ") > (" + strRight + ")";
        std::string strNext = "SELECT * FROM (" + strSame + ") UNION ALL SELECT * FROM (";
        strNext += strFrom + " WHERE " + strGreater + strOrder;
        strNext += ") LIMIT 1";
        index.next = Prepare(conn, strNext, strWhat);
    }

    static void BindValue(sqlite3_stmt* pStmt, int nParam, const CFieldValue& value) {
        switch (value.nType) {
            case SQLITE_INTEGER:
                sqlite3_bind_int64(pStmt, nParam, value.nInteger);
                break;
            case SQLITE_FLOAT:
                sqlite3_bind_double(pStmt, nParam, value.dReal);
                break;
            case SQLITE_TEXT:
                sqlite3_bind_text(pStmt, nParam, value.strBytes.data(),
                                  static_cast<int>(value.strBytes.size()), SQLITE_TRANSIENT);
                break;
            case SQLITE_BLOB:
                sqlite3_bind_blob(pStmt, nParam, value.strBytes.data(),
                                  static_cast<int>(value.strBytes.size()), SQLITE_TRANSIENT);
                break;
            default:
                sqlite3_bind_null(pStmt, nParam);
                break;
        }
    }

    static void BindKey(sqlite3_stmt* pStmt, int nParam, const CKeyValue& key) {
        if (const auto* pnValue = std::get_if<std::int32_t>(&key)) {
            sqlite3_bind_int(pStmt, nParam, *pnValue);
        } else {
            const std::string& strValue = std::get<std::string>(key);
            if (strValue.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
                throw CEngineException("A key value is too long.");
            }
            sqlite3_bind_text(pStmt, nParam, strValue.data(), static_cast<int>(strValue.size()),
                              SQLITE_TRANSIENT);
        }
    }

    // Runs a positioning statement with the given keys; on a row, makes it the
    // current record and answers true.
    bool Fetch(sqlite3_stmt* pStmt, std::span<const CKeyValue> keys) {
        CStatementUse use(pStmt);
        int nParam = 1;
        for (const CKeyValue& key : keys) BindKey(pStmt, nParam++, key);
        return StepInto(pStmt);
    }

    // Steps the statement once; a row becomes the current record.
    bool StepInto(sqlite3_stmt* pStmt) {
        const int rc = sqlite3_step(pStmt);
        if (rc == SQLITE_DONE) return false;
        if (rc != SQLITE_ROW) m_pConn->Fail("Cannot read table '" + m_strTable + "'");
        std::vector<CFieldValue> row(m_columns.size());
        for (std::size_t i = 0; i < row.size(); ++i) {
            const int nColumn = static_cast<int>(i) + 1;
            CFieldValue& value = row[i];
            value.nType = sqlite3_column_type(pStmt, nColumn);
            switch (value.nType) {
                case SQLITE_INTEGER:
                    value.nInteger = sqlite3_column_int64(pStmt, nColumn);
                    break;
                case SQLITE_FLOAT:
                    value.dReal = sqlite3_column_double(pStmt, nColumn);
                    break;
                case SQLITE_TEXT:
                case SQLITE_BLOB:
                    value.strBytes = ColumnText(pStmt, nColumn);
                    break;
                default:
                    break;
            }
        }
        m_nRowid = sqlite3_column_int64(pStmt, 0);
        m_row = std::move(row);
        m_bHasRecord = true;
        m_bBOF = m_bEOF = false;
        return true;
    }

    bool IsTableEmpty() {
        // The natural order's first statement answers whether any record exists.
        sqlite3_stmt* pStmt = m_natural->first.get();
        CStatementUse use(pStmt);
        const int rc = sqlite3_step(pStmt);
        if (rc == SQLITE_ROW) return false;
        if (rc != SQLITE_DONE) m_pConn->Fail("Cannot read table '" + m_strTable + "'");
        return true;
    }

    std::shared_ptr<CConnection> m_pConn;  // first: destroyed after the statements
    bool m_bOpen = false;
    std::string m_strTable;
    std::vector<std::string> m_columns;
    std::string m_strRowid;
    std::string m_strSelect;  // "SELECT rowid, columns... FROM table"
    CStatement m_byRowid;
    std::unique_ptr<CIndex> m_natural;
    std::map<std::string, std::unique_ptr<CIndex>, CNameLess> m_indexes;
    CIndex* m_pIndex = nullptr;

    bool m_bHasRecord = false;
    bool m_bBOF = true;
    bool m_bEOF = true;
    std::int64_t m_nRowid = 0;
    std::vector<CFieldValue> m_row;
};

class CSqliteDatabase final : public CEngineDatabase {
  public:
    void Open(const std::string& strPath) override {
        Close();
        auto pConn = std::make_shared<CConnection>(strPath);
        // Opening is lazy; reading the schema shows at once whether the file
        // is a database SQLite can read.
        CStatement stmt = Prepare(*pConn, "SELECT 1 FROM sqlite_master LIMIT 1",
                                  "Cannot read the project database");
        const int rc = sqlite3_step(stmt.get());
        if (rc != SQLITE_ROW && rc != SQLITE_DONE) pConn->Fail("Cannot read the project database");
        stmt.reset();
        m_pConn = std::move(pConn);
    }

    bool IsOpen() const override { return m_pConn != nullptr; }

    // Recordsets still alive keep the connection until they are destroyed.
    void Close() override { m_pConn.reset(); }

    void BeginReading() override {
        if (m_pConn) m_pConn->BeginReading();
    }
    void EndReading() noexcept override {
        if (m_pConn) m_pConn->EndReading();
    }

    std::unique_ptr<CEngineRecordset> CreateRecordset() override {
        if (!m_pConn) throw CEngineException("The project database is not open.");
        return std::make_unique<CSqliteRecordset>(m_pConn);
    }

  private:
    std::shared_ptr<CConnection> m_pConn;
};

}  // namespace

std::unique_ptr<CEngineDatabase> CreateSqliteDatabase() {
    return std::make_unique<CSqliteDatabase>();
}

}  // namespace vd
