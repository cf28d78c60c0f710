#include "projectdb/JetPageFile.h"

#include <array>
#include <cstring>
#include <utility>

#include "common/Exceptions.h"
#include "common/File.h"
#include "common/PathQuoting.h"
#include "projectdb/EngineException.h"

namespace vd::jet {
namespace {

constexpr char kJetSignature[] = "Standard Jet DB";  // at offset 4
constexpr std::size_t kVersionOffset = 0x14;
constexpr std::uint32_t kVersionJet3 = 0;
constexpr std::uint32_t kVersionJet4 = 1;
// The header's block from 0x18 is stored encoded with a fixed key; in clear
// it holds, among others, the code page and the database key.
constexpr std::size_t kEncodedOffset = 0x18;
constexpr std::size_t kEncodedSize = 128;  // Jet 4
constexpr std::array<std::uint8_t, 4> kHeaderKey = {0xC7, 0xDA, 0x39, 0x6B};
constexpr std::size_t kDatabaseKeyOffset = 0x3E;
constexpr std::uint32_t kFirstDataPage = 3;     // the catalog's definition is page 2
constexpr std::uint64_t kMaxPages = 0xFFFFFFu;  // a page number has 24 bits

std::uint32_t Get32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
           std::uint32_t{p[3]} << 24;
}

class CJetPageFile final : public CPageSource {
  public:
    CJetPageFile(std::unique_ptr<CFile> pFile, std::uint32_t nPages, std::uint32_t nDatabaseKey)
        : m_pFile(std::move(pFile)), m_nPages(nPages), m_nDatabaseKey(nDatabaseKey) {}

    std::uint32_t GetPageCount() const override { return m_nPages; }

    void ReadPage(std::uint32_t nPage, std::array<std::uint8_t, kPageSize>& page) override {
        // Page 0 is the header, which is not a page of the database's objects.
        if (nPage == 0 || nPage >= m_nPages) {
            throw CJetFormatError("a page number lies beyond the end of the file");
        }
        const std::uint64_t nOffset = std::uint64_t{nPage} * kPageSize;
        try {
            m_pFile->Seek(static_cast<std::int64_t>(nOffset) -
                          static_cast<std::int64_t>(m_pFile->GetPosition()));
            if (m_pFile->Read(page.data(), kPageSize) != kPageSize) {
                throw CJetFormatError("page " + std::to_string(nPage) + " could not be read");
            }
        } catch (const CFileException& error) {
            throw CJetFormatError("page " + std::to_string(nPage) +
                                  " could not be read: " + error.GetCause());
        }
        if (m_nDatabaseKey != 0) {
            const std::uint32_t nKey = m_nDatabaseKey ^ nPage;
            const std::array<std::uint8_t, 4> key = {
                static_cast<std::uint8_t>(nKey), static_cast<std::uint8_t>(nKey >> 8),
                static_cast<std::uint8_t>(nKey >> 16), static_cast<std::uint8_t>(nKey >> 24)};
            JetRc4(key.data(), key.size(), page.data(), page.size());
        }
    }

  private:
    std::unique_ptr<CFile> m_pFile;
    std::uint32_t m_nPages;
    std::uint32_t m_nDatabaseKey;
};

}  // namespace

void JetRc4(const std::uint8_t* pKey, std::size_t nKey, std::uint8_t* pData, std::size_t nData) {
    std::array<std::uint8_t, 256> s{};
    for (std::size_t i = 0; i < s.size(); ++i) s[i] = static_cast<std::uint8_t>(i);
    for (std::size_t i = 0, j = 0; i < s.size(); ++i) {
        j = (j + s[i] + pKey[i % nKey]) & 0xFF;
        std::swap(s[i], s[j]);
    }
    for (std::size_t n = 0, i = 0, j = 0; n < nData; ++n) {
        i = (i + 1) & 0xFF;
        j = (j + s[i]) & 0xFF;
        std::swap(s[i], s[j]);
        pData[n] ^= s[(s[i] + s[j]) & 0xFF];
    }
}

std::unique_ptr<CPageSource> OpenJetPageFile(const std::string& strPath) {
    auto pFile = std::make_unique<CFile>();
    CFile& file = *pFile;
    std::string strCause;
    if (!file.Open(strPath, CFile::modeReadShareReadWrite, &strCause)) {
        throw CEngineException("Could not open " + QuotePath(strPath) + ": " + strCause + ".");
    }
    std::array<std::uint8_t, kPageSize> header{};
    std::uint64_t nSize = 0;
    std::size_t nRead = 0;
    try {
        nSize = file.GetLength();
        nRead = file.Read(header.data(), header.size());
    } catch (const CFileException& error) {
        throw CEngineException("Could not read " + QuotePath(strPath) + ": " + error.GetCause() +
                               ".");
    }
    if (nRead < kEncodedOffset ||
        std::memcmp(header.data() + 4, kJetSignature, sizeof kJetSignature - 1) != 0) {
        throw CEngineException(QuotePath(strPath) + " is not a Jet database.");
    }
    const std::uint32_t nVersion = Get32(header.data() + kVersionOffset);
    if (nVersion == kVersionJet3) {
        throw CEngineException(QuotePath(strPath) +
                               " is a Jet 3 (Access 97) database; only Jet 4 (Access 2000 to "
                               "2003) databases can be read.");
    }
    if (nVersion != kVersionJet4) {
        throw CEngineException(QuotePath(strPath) + " has Jet version " + std::to_string(nVersion) +
                               "; only Jet 4 (Access 2000 to 2003) databases can be read.");
    }
    if (nRead < kPageSize || nSize < std::uint64_t{kFirstDataPage} * kPageSize) {
        throw CEngineException(QuotePath(strPath) + " is too short to be a Jet database.");
    }
    const std::uint64_t nPages = nSize / kPageSize;
    if (nPages > kMaxPages) {
        throw CEngineException(QuotePath(strPath) + " is larger than a Jet database can be.");
    }
    JetRc4(kHeaderKey.data(), kHeaderKey.size(), header.data() + kEncodedOffset, kEncodedSize);
    const std::uint32_t nDatabaseKey = Get32(header.data() + kDatabaseKeyOffset);
    return std::make_unique<CJetPageFile>(std::move(pFile), static_cast<std::uint32_t>(nPages),
                                          nDatabaseKey);
}

}  // namespace vd::jet
