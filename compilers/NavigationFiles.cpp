#include "compilers/NavigationFiles.h"

namespace vd {

namespace {

constexpr std::size_t kContentsHeader = 4;

std::string CutShort(const char* pszWhat, std::size_t nIndex, std::size_t nOffset) {
    return std::string(pszWhat) + " " + std::to_string(nIndex + 1) + " at offset " +
           std::to_string(nOffset) + " is cut short";
}

std::string Bytes(const std::uint8_t* p, std::size_t n) {
    return std::string(reinterpret_cast<const char*>(p), n);
}

}  // namespace

bool bReadContentsRecords(const std::uint8_t* pData, std::size_t nSize,
                          std::vector<SContentsRecord>& records, std::string* pstrProblem) {
    std::size_t nOffset = 0;
    while (nOffset < nSize) {
        const std::size_t nLeft = nSize - nOffset;
        const std::uint8_t* const p = pData + nOffset;
        if (nLeft < kContentsHeader || nLeft - kContentsHeader < p[2]) {
            if (pstrProblem != nullptr) *pstrProblem = CutShort("record", records.size(), nOffset);
            return false;
        }
        SContentsRecord record;
        record.nLevel = p[0];
        record.nNumber = p[1];
        record.nKind = p[3];
        const std::size_t nLength = p[2];
        const std::uint8_t* const pText = p + kContentsHeader;
        record.bTerminated = nLength > 0 && pText[nLength - 1] == 0;
        record.strText = Bytes(pText, record.bTerminated ? nLength - 1 : nLength);
        records.push_back(std::move(record));
        nOffset += kContentsHeader + nLength;
    }
    return true;
}

bool bReadCategoryRecords(const std::uint8_t* pData, std::size_t nSize,
                          std::vector<SCategoryRecord>& records, std::string* pstrProblem) {
    std::size_t nOffset = 0;
    while (nOffset < nSize) {
        const std::size_t nStart = nOffset;
        const auto Fail = [&] {
            if (pstrProblem != nullptr) *pstrProblem = CutShort("record", records.size(), nStart);
            return false;
        };
        // NameLength, Name, TextLength, Text, First, Second; each step checks
        // that its bytes are there before it reads them.
        SCategoryRecord record;
        const std::size_t nName = pData[nOffset++];
        if (nSize - nOffset < nName) return Fail();
        record.strName = Bytes(pData + nOffset, nName);
        nOffset += nName;
        if (nSize - nOffset < 1) return Fail();
        const std::size_t nText = pData[nOffset++];
        if (nSize - nOffset < nText + 2) return Fail();
        record.strText = Bytes(pData + nOffset, nText);
        nOffset += nText;
        record.nFirst = pData[nOffset++];
        record.nSecond = pData[nOffset++];
        records.push_back(std::move(record));
    }
    return true;
}

bool bLooksLikeContents(const std::uint8_t* pData, std::size_t nSize) {
    std::vector<SContentsRecord> records;
    if (!bReadContentsRecords(pData, nSize, records, nullptr)) return false;
    for (const SContentsRecord& record : records) {
        if (record.nLevel == 0 || (record.nKind != 1 && record.nKind != 2) || !record.bTerminated) {
            return false;
        }
    }
    return true;
}

bool bLooksLikeCategories(const std::uint8_t* pData, std::size_t nSize) {
    std::vector<SCategoryRecord> records;
    return bReadCategoryRecords(pData, nSize, records, nullptr);
}

}  // namespace vd
