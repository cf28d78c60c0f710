#include "projectdb/JetLibmdb.h"

#include <dlfcn.h>
#include <sys/stat.h>

#include <array>
#include <cstring>
#include <fstream>

// Only the types and constants of libmdb's header are used here; the
// functions are bound when the first Jet file is opened, so that loading the
// library or starting the tool loads neither libmdb nor glib.
#include <mdbtools.h>

#include "projectdb/EngineException.h"

namespace vd::jet {
namespace {

constexpr char kJetSignature[] = "Standard Jet DB";  // at offset 4
constexpr std::size_t kVersionOffset = 0x14;
constexpr std::uint32_t kFirstDataPage = 3;  // the catalog's definition is page 2

// libmdb's functions, bound from its shared library. The library stays
// loaded once it was loaded (glib cannot be unloaded safely); each binding
// holds its own reference.
class CLibmdb {
  public:
    explicit CLibmdb(const char* pszSoname) {
        m_pLibrary = dlopen(pszSoname, RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
        if (m_pLibrary == nullptr) throw Missing(pszSoname, dlerror());
        Bind(m_pOpen, "mdb_open", pszSoname);
        Bind(m_pClose, "mdb_close", pszSoname);
        Bind(m_pReadPage, "mdb_read_pg", pszSoname);
    }
    ~CLibmdb() {
        if (m_pLibrary != nullptr) dlclose(m_pLibrary);
    }
    CLibmdb(const CLibmdb&) = delete;
    CLibmdb& operator=(const CLibmdb&) = delete;

    MdbHandle* Open(const char* pszPath) const { return m_pOpen(pszPath, MDB_NOFLAGS); }
    void Close(MdbHandle* pHandle) const { m_pClose(pHandle); }
    ssize_t ReadPage(MdbHandle* pHandle, unsigned long nPage) const {
        return m_pReadPage(pHandle, nPage);
    }

  private:
    static CEngineException Missing(const char* pszSoname, const char* pszWhy) {
        return CEngineException(
            "This library cannot read Jet (.mdb) databases here: libmdb (" +
            std::string(pszSoname) + ") could not be loaded" +
            (pszWhy != nullptr ? " (" + std::string(pszWhy) + ")" : std::string()) +
            "; install libmdb (Debian: libmdb3) or convert the database to SQLite.");
    }
    template <typename TFunction>
    void Bind(TFunction*& pFunction, const char* pszName, const char* pszSoname) {
        void* pSymbol = dlsym(m_pLibrary, pszName);
        if (pSymbol == nullptr) {
            const char* pszWhy = dlerror();
            dlclose(m_pLibrary);
            m_pLibrary = nullptr;
            throw Missing(pszSoname, pszWhy);
        }
        pFunction = reinterpret_cast<TFunction*>(pSymbol);
    }

    void* m_pLibrary = nullptr;
    decltype(&mdb_open) m_pOpen = nullptr;
    decltype(&mdb_close) m_pClose = nullptr;
    decltype(&mdb_read_pg) m_pReadPage = nullptr;
};

class CLibmdbPageSource final : public CPageSource {
  public:
    CLibmdbPageSource(std::unique_ptr<CLibmdb> pLibmdb, MdbHandle* pHandle, std::uint32_t nPages)
        : m_pLibmdb(std::move(pLibmdb)), m_pHandle(pHandle), m_nPages(nPages) {}
    ~CLibmdbPageSource() override { m_pLibmdb->Close(m_pHandle); }
    CLibmdbPageSource(const CLibmdbPageSource&) = delete;
    CLibmdbPageSource& operator=(const CLibmdbPageSource&) = delete;

    std::uint32_t GetPageCount() const override { return m_nPages; }

    void ReadPage(std::uint32_t nPage, std::array<std::uint8_t, kPageSize>& page) override {
        // Page 0 is the header, which libmdb has already read; asking it
        // for a page beyond the file's end would make it complain on stderr.
        if (nPage == 0 || nPage >= m_nPages) {
            throw CJetFormatError("a page number lies beyond the end of the file");
        }
        if (m_pLibmdb->ReadPage(m_pHandle, nPage) != static_cast<ssize_t>(kPageSize)) {
            throw CJetFormatError("page " + std::to_string(nPage) + " could not be read");
        }
        std::memcpy(page.data(), m_pHandle->pg_buf, kPageSize);
    }

  private:
    std::unique_ptr<CLibmdb> m_pLibmdb;
    MdbHandle* m_pHandle;
    std::uint32_t m_nPages;
};

}  // namespace

void BindLibmdb(const char* pszSoname) { CLibmdb libmdb(pszSoname); }

std::unique_ptr<CPageSource> OpenLibmdbPageSource(const std::string& strPath) {
    // The file is checked here first: libmdb would look for a missing file
    // in the folders of MDBPATH and report its own failures on stderr.
    struct stat status {};
    if (stat(strPath.c_str(), &status) != 0) {
        throw CEngineException("Could not find file '" + strPath + "'.");
    }
    if (!S_ISREG(status.st_mode)) {
        throw CEngineException("'" + strPath + "' is not a database file.");
    }
    std::array<char, 0x20> head{};
    {
        std::ifstream in(strPath, std::ios::binary);
        if (!in) throw CEngineException("Could not open '" + strPath + "' for reading.");
        in.read(head.data(), head.size());
        if (static_cast<std::size_t>(in.gcount()) != head.size() ||
            std::memcmp(head.data() + 4, kJetSignature, sizeof kJetSignature - 1) != 0) {
            throw CEngineException("'" + strPath + "' is not a Jet database.");
        }
    }
    const auto nVersion = static_cast<unsigned char>(head[kVersionOffset]);
    if (nVersion == MDB_VER_JET3) {
        throw CEngineException("'" + strPath +
                               "' is a Jet 3 (Access 97) database; only Jet 4 (Access 2000 to "
                               "2003) databases can be read.");
    }
    if (nVersion != MDB_VER_JET4) {
        throw CEngineException("'" + strPath + "' has Jet version " + std::to_string(nVersion) +
                               "; only Jet 4 (Access 2000 to 2003) databases can be read.");
    }
    const auto nSize = static_cast<std::uint64_t>(status.st_size);
    if (nSize < std::uint64_t{kFirstDataPage} * kPageSize) {
        throw CEngineException("'" + strPath + "' is too short to be a Jet database.");
    }
    const std::uint64_t nPages = nSize / kPageSize;
    if (nPages > 0xFFFFFFu) {
        throw CEngineException("'" + strPath + "' is larger than a Jet database can be.");
    }

    auto pLibmdb = std::make_unique<CLibmdb>(VD_LIBMDB_SONAME);
    MdbHandle* pHandle = pLibmdb->Open(strPath.c_str());
    if (pHandle == nullptr) {
        throw CEngineException("Could not open '" + strPath + "' as a Jet database.");
    }
    auto pSource = std::make_unique<CLibmdbPageSource>(std::move(pLibmdb), pHandle,
                                                       static_cast<std::uint32_t>(nPages));
    if (pHandle->f == nullptr || pHandle->f->jet_version != MDB_VER_JET4 ||
        pHandle->fmt == nullptr || pHandle->fmt->pg_size != static_cast<ssize_t>(kPageSize)) {
        throw CEngineException("'" + strPath + "' is not a Jet 4 database.");
    }
    return pSource;
}

}  // namespace vd::jet
