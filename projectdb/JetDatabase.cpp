#include "projectdb/Stores.h"

#include "common/PathQuoting.h"

#include <map>

#include "projectdb/JetPageFile.h"
#include "projectdb/JetTable.h"

namespace vd {
namespace {

using jet::CJetTable;

std::string AsciiLower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    }
    return lower;
}

// An open Jet file and the tables loaded from it, shared by the database
// object and its recordsets.
class CJetStore {
  public:
    explicit CJetStore(std::string strPath) : m_strPath(std::move(strPath)) {
        m_pFile = std::make_shared<jet::CJetFile>(jet::OpenJetPageFile(m_strPath));
        try {
            m_pFile->GetCatalog();
        } catch (...) {
            jet::RaiseLoadError(m_strPath, "MSysObjects");
        }
    }

    const std::string& GetPath() const { return m_strPath; }

    std::shared_ptr<const CJetTable> OpenTable(const std::string& strTable) {
        if (!m_pFile)
            throw CEngineException("The database " + QuotePath(m_strPath) + " is closed.");
        const std::string strKey = AsciiLower(strTable);
        if (const auto it = m_tables.find(strKey); it != m_tables.end()) return it->second;

        const jet::CCatalogEntry* pEntry = m_pFile->FindTable(strTable);
        if (pEntry == nullptr) {
            throw CEngineException("The table '" + strTable + "' does not exist in " +
                                   QuotePath(m_strPath) + ".");
        }
        if (!pEntry->IsTable()) {
            throw CEngineException("The table '" + strTable + "' in " + QuotePath(m_strPath) +
                                   " is linked to another database; linked tables cannot be "
                                   "read.");
        }
        // Only where the rows lie is read here; the recordsets load the
        // columns they read.
        std::shared_ptr<const CJetTable> pTable;
        try {
            pTable =
                std::make_shared<const CJetTable>(m_pFile, m_pFile->OpenTable(*pEntry), m_strPath);
        } catch (const CEngineException&) {
            throw;
        } catch (...) {
            jet::RaiseLoadError(m_strPath, pEntry->strName);
        }
        m_tables.emplace(strKey, pTable);
        return pTable;
    }

    void Close() {
        m_pFile.reset();
        m_tables.clear();
    }

  private:
    std::string m_strPath;
    std::shared_ptr<jet::CJetFile> m_pFile;  // shared with its tables
    std::map<std::string, std::shared_ptr<const CJetTable>> m_tables;
};

class CJetRecordset final : public CEngineRecordset {
  public:
    explicit CJetRecordset(std::shared_ptr<CJetStore> pStore) : m_pStore(std::move(pStore)) {}

    void Open(const std::string& strTable) override {
        Close();
        m_pTable = m_pStore->OpenTable(strTable);
    }
    bool IsOpen() const override { return m_pTable != nullptr; }
    void Close() override {
        m_pTable.reset();
        m_pOrder = nullptr;
        m_nPosition = 0;
    }

    void SetIndex(const std::string& strIndex) override {
        RequireOpen();
        const CJetTable::COrder& order = m_pTable->GetOrder(strIndex);
        // The current record stays current, at its place in the new order.
        const std::size_t nRows = m_pTable->GetRowCount();
        if (m_nPosition < nRows) m_nPosition = order.positions[CurrentRow()];
        m_pOrder = &order;
    }

    void MoveFirst() override {
        RequireOpen();
        m_nPosition = 0;
    }
    void MoveNext() override {
        RequireOpen();
        if (m_nPosition >= m_pTable->GetRowCount()) throw NoCurrentRecord();
        ++m_nPosition;
    }
    bool IsBOF() const override {
        RequireOpen();
        return m_pTable->GetRowCount() == 0;
    }
    bool IsEOF() const override {
        RequireOpen();
        return m_nPosition >= m_pTable->GetRowCount();
    }

    bool Seek(std::span<const CKeyValue> keys) override {
        RequireOpen();
        if (m_pOrder == nullptr) {
            throw CEngineException("A seek on table '" + m_pTable->GetName() + "' in '" +
                                   m_pTable->GetFile() + "' needs an index; none is set.");
        }
        const std::optional<std::size_t> position = m_pTable->Seek(*m_pOrder, keys);
        // No match leaves no current record.
        m_nPosition = position.value_or(m_pTable->GetRowCount());
        return position.has_value();
    }

    std::int32_t GetLong(const std::string& strField) override {
        const std::size_t nColumn = Column(strField);
        const jet::CJetColumn& column = m_pTable->GetColumn(nColumn);
        if (column.nType != jet::COLUMN_LONG && column.nType != jet::COLUMN_INTEGER &&
            column.nType != jet::COLUMN_BYTE && column.nType != jet::COLUMN_BOOLEAN) {
            throw CEngineException(FieldText(column) + " is a " +
                                   jet::ColumnTypeName(column.nType) +
                                   " field, not an integer field.");
        }
        const jet::CJetValue value = m_pTable->At(CurrentRow(), nColumn);
        if (value.eKind != jet::EValueKind::integer) {
            throw CEngineException(FieldText(column) + " is NULL in the current record.");
        }
        return value.nInteger;
    }

    std::string GetText(const std::string& strField) override {
        const std::size_t nColumn = Column(strField);
        const jet::CJetColumn& column = m_pTable->GetColumn(nColumn);
        if (column.nType != jet::COLUMN_TEXT && column.nType != jet::COLUMN_MEMO) {
            throw CEngineException(FieldText(column) + " is a " +
                                   jet::ColumnTypeName(column.nType) + " field, not a text field.");
        }
        const jet::CJetValue value = m_pTable->At(CurrentRow(), nColumn);
        if (value.eKind != jet::EValueKind::text) {
            throw CEngineException(FieldText(column) + " is NULL in the current record.");
        }
        return std::string(value.strText);
    }

    CBookmark GetBookmark() override {
        CBookmark bookmark;
        bookmark.nToken = static_cast<std::int64_t>(CurrentRow()) + 1;
        return bookmark;
    }
    void SetBookmark(const CBookmark& bookmark) override {
        RequireOpen();
        const std::int64_t nRows = static_cast<std::int64_t>(m_pTable->GetRowCount());
        if (bookmark.nToken < 1 || bookmark.nToken > nRows) {
            throw CEngineException("The bookmark is not one of table '" + m_pTable->GetName() +
                                   "' in '" + m_pTable->GetFile() + "'.");
        }
        const auto nRow = static_cast<std::size_t>(bookmark.nToken - 1);
        m_nPosition = m_pOrder != nullptr ? m_pOrder->positions[nRow] : nRow;
    }

  private:
    void RequireOpen() const {
        if (!m_pTable) throw CEngineException("The recordset is not open.");
    }
    CEngineException NoCurrentRecord() const {
        return CEngineException("No current record in table '" + m_pTable->GetName() + "' of '" +
                                m_pTable->GetFile() + "'.");
    }
    std::size_t CurrentRow() const {
        RequireOpen();
        if (m_nPosition >= m_pTable->GetRowCount()) throw NoCurrentRecord();
        return m_pOrder != nullptr ? m_pOrder->rows[m_nPosition] : m_nPosition;
    }
    std::size_t Column(const std::string& strField) const {
        RequireOpen();
        const std::optional<std::size_t> column = m_pTable->FindColumn(strField);
        if (!column) {
            throw CEngineException("The field '" + strField + "' does not exist in table '" +
                                   m_pTable->GetName() + "' of '" + m_pTable->GetFile() + "'.");
        }
        return *column;
    }
    std::string FieldText(const jet::CJetColumn& column) const {
        return "The field '" + column.strName + "' of table '" + m_pTable->GetName() + "' in '" +
               m_pTable->GetFile() + "'";
    }

    std::shared_ptr<CJetStore> m_pStore;
    std::shared_ptr<const CJetTable> m_pTable;
    const CJetTable::COrder* m_pOrder = nullptr;  // null: the order in which rows are stored
    std::size_t m_nPosition = 0;                  // position in the current order
};

class CJetDatabase final : public CEngineDatabase {
  public:
    void Open(const std::string& strPath) override {
        Close();
        m_pStore = std::make_shared<CJetStore>(strPath);
    }
    bool IsOpen() const override { return m_pStore != nullptr; }
    void Close() override {
        if (m_pStore) m_pStore->Close();
        m_pStore.reset();
    }
    std::unique_ptr<CEngineRecordset> CreateRecordset() override {
        if (!m_pStore) throw CEngineException("The database is not open.");
        return std::make_unique<CJetRecordset>(m_pStore);
    }

  private:
    std::shared_ptr<CJetStore> m_pStore;
};

}  // namespace

std::unique_ptr<CEngineDatabase> CreateJetDatabase() { return std::make_unique<CJetDatabase>(); }

}  // namespace vd
