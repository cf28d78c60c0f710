// The database engine interface: the table-recordset operations through which
// the library reads the project database. Every failing operation raises
// CEngineException. Stores (the on-disk formats) live behind this interface;
// nothing above it knows which store a database uses.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <span>
#include <string>
#include <variant>

#include "projectdb/EngineException.h"

namespace vd {

// A key or field value: a 32-bit signed integer or a narrow text.
using CKeyValue = std::variant<std::int32_t, std::string>;

// An opaque token for one record of a recordset; stays valid across index
// changes of the same recordset.
struct CBookmark {
    std::int64_t nToken = 0;
    friend bool operator==(const CBookmark&, const CBookmark&) = default;
};

// A table recordset: one open table, walked in the order of its current index.
class CEngineRecordset {
  public:
    virtual ~CEngineRecordset() = default;

    // Opens the table as a table recordset (no options).
    virtual void Open(const std::string& strTable) = 0;
    virtual bool IsOpen() const = 0;
    virtual void Close() = 0;

    // Selects the named index; Seek and the moves follow its order afterwards.
    // Which record is current after the change is not defined.
    virtual void SetIndex(const std::string& strIndex) = 0;

    virtual void MoveFirst() = 0;
    virtual void MoveNext() = 0;
    virtual bool IsBOF() const = 0;
    virtual bool IsEOF() const = 0;

    // Seek "=": finds the first record, in index order, whose leading key
    // fields equal the values given (one value per key field, or fewer).
    // Answers true and makes it current, or false (no match).
    virtual bool Seek(std::span<const CKeyValue> keys) = 0;
    bool Seek(std::initializer_list<CKeyValue> keys) {
        return Seek(std::span<const CKeyValue>(keys.begin(), keys.size()));
    }

    // Field values of the current record.
    virtual std::int32_t GetLong(const std::string& strField) = 0;
    virtual std::string GetText(const std::string& strField) = 0;

    virtual CBookmark GetBookmark() = 0;
    virtual void SetBookmark(const CBookmark& bookmark) = 0;
};

// A project database: opened read-only from a file; hands out recordsets
// bound to it. Its recordsets must be destroyed before it is.
class CEngineDatabase {
  public:
    virtual ~CEngineDatabase() = default;

    virtual void Open(const std::string& strPath) = 0;
    virtual bool IsOpen() const = 0;
    virtual void Close() = 0;

    // A new recordset bound to this database, not yet open.
    virtual std::unique_ptr<CEngineRecordset> CreateRecordset() = 0;

    // Optional: the reads between BeginReading and EndReading see one state
    // of the file and need no locking each (a read transaction). Calls nest;
    // a store without such a notion does nothing. EndReading never fails.
    virtual void BeginReading() {}
    virtual void EndReading() noexcept {}
};

// Keeps a database reading (BeginReading/EndReading) for its lifetime; does
// nothing for a null database.
class CReadingScope {
  public:
    explicit CReadingScope(CEngineDatabase* pDatabase) : m_pDatabase(pDatabase) {
        if (m_pDatabase != nullptr) m_pDatabase->BeginReading();
    }
    ~CReadingScope() {
        if (m_pDatabase != nullptr) m_pDatabase->EndReading();
    }
    CReadingScope(const CReadingScope&) = delete;
    CReadingScope& operator=(const CReadingScope&) = delete;

  private:
    CEngineDatabase* m_pDatabase;
};

// A new database object on the engine's default workspace. Open picks the
// store by the file's signature.
std::unique_ptr<CEngineDatabase> CreateEngineDatabase();

// Ends the library's use of the engine (after every database is destroyed).
void ShutdownEngine() noexcept;

}  // namespace vd
