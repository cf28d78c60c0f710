// The engine's database object: picks the store by the file's signature when
// the database is opened and forwards everything to it.
#include <array>
#include <cstring>

#include "common/Exceptions.h"
#include "common/File.h"
#include "common/PathQuoting.h"
#include "projectdb/Engine.h"
#include "projectdb/Stores.h"

namespace vd {
namespace {

enum class EStoreKind { unknown, sqlite, jet };

EStoreKind DetectStore(const std::string& strPath) {
    CFile file;
    std::string strCause;
    if (!file.Open(strPath, CFile::modeReadShareReadWrite, &strCause)) {
        throw CEngineException("Cannot open " + QuotePath(strPath) + ": " + strCause + ".");
    }
    std::array<char, 32> head{};
    std::size_t nRead = 0;
    try {
        nRead = file.Read(head.data(), head.size());
    } catch (const CFileException& error) {
        throw CEngineException("Cannot read " + QuotePath(strPath) + ": " + error.GetCause() + ".");
    }
    static constexpr char kSqlite[] = "SQLite format 3";  // followed by a zero byte
    static constexpr char kJet[] = "Standard Jet DB";     // at offset 4
    if (nRead >= sizeof kSqlite && std::memcmp(head.data(), kSqlite, sizeof kSqlite) == 0) {
        return EStoreKind::sqlite;
    }
    if (nRead >= 4 + sizeof kJet - 1 && std::memcmp(head.data() + 4, kJet, sizeof kJet - 1) == 0) {
        return EStoreKind::jet;
    }
    return EStoreKind::unknown;
}

class CStoreDatabase final : public CEngineDatabase {
  public:
    void Open(const std::string& strPath) override {
        Close();
        std::unique_ptr<CEngineDatabase> pStore;
        switch (DetectStore(strPath)) {
            case EStoreKind::sqlite:
                pStore = CreateSqliteDatabase();
                break;
            case EStoreKind::jet:
                pStore = CreateJetDatabase();
                break;
            case EStoreKind::unknown:
                throw CEngineException("The file " + QuotePath(strPath) +
                                       " is not a project database (neither an SQLite nor a "
                                       "Jet database file).");
        }
        pStore->Open(strPath);
        m_pStore = std::move(pStore);
    }
    bool IsOpen() const override { return m_pStore && m_pStore->IsOpen(); }
    void Close() override {
        if (m_pStore) m_pStore->Close();
        m_pStore.reset();
    }
    std::unique_ptr<CEngineRecordset> CreateRecordset() override {
        if (!m_pStore) throw CEngineException("The database is not open.");
        return m_pStore->CreateRecordset();
    }
    void BeginReading() override {
        if (m_pStore) m_pStore->BeginReading();
    }
    void EndReading() noexcept override {
        if (m_pStore) m_pStore->EndReading();
    }

  private:
    std::unique_ptr<CEngineDatabase> m_pStore;
};

}  // namespace

std::unique_ptr<CEngineDatabase> CreateEngineDatabase() {
    return std::make_unique<CStoreDatabase>();
}

// Every store connection closes with the last object that uses it, so there
// is nothing left to end here. The SQLite library itself is not shut down:
// the host process may use it too.
void ShutdownEngine() noexcept {}

}  // namespace vd
