// Feeds arbitrary bytes to the reader of the compiled navigation files (what
// "vellumdesk dump" prints): as inhalt.bin and as kategorien.bin. Whatever it
// accepts must write back to exactly the bytes it was read from.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "compilers/NavigationFiles.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

void Append(Bytes& bytes, const std::string& strText) {
    bytes.insert(bytes.end(), strText.begin(), strText.end());
}

void CheckContents(const std::uint8_t* pData, std::size_t nSize) {
    std::vector<vd::SContentsRecord> records;
    std::string strProblem;
    const bool bWhole = vd::bReadContentsRecords(pData, nSize, records, &strProblem);
    if (!bWhole && strProblem.empty()) std::abort();  // every refusal says why
    if (vd::bLooksLikeContents(pData, nSize) && !bWhole) std::abort();
    if (!bWhole) return;
    Bytes written;
    for (const vd::SContentsRecord& record : records) {
        written.push_back(record.nLevel);
        written.push_back(record.nNumber);
        written.push_back(static_cast<std::uint8_t>(record.strText.size() + record.bTerminated));
        written.push_back(record.nKind);
        Append(written, record.strText);
        if (record.bTerminated) written.push_back(0);
    }
    if (written != Bytes(pData, pData + nSize)) std::abort();
}

void CheckCategories(const std::uint8_t* pData, std::size_t nSize) {
    std::vector<vd::SCategoryRecord> records;
    std::string strProblem;
    const bool bWhole = vd::bReadCategoryRecords(pData, nSize, records, &strProblem);
    if (!bWhole && strProblem.empty()) std::abort();
    if (vd::bLooksLikeCategories(pData, nSize) != bWhole) std::abort();
    if (!bWhole) return;
    Bytes written;
    for (const vd::SCategoryRecord& record : records) {
        written.push_back(static_cast<std::uint8_t>(record.strName.size()));
        Append(written, record.strName);
        written.push_back(static_cast<std::uint8_t>(record.strText.size()));
        Append(written, record.strText);
        written.push_back(record.nFirst);
        written.push_back(record.nSecond);
    }
    if (written != Bytes(pData, pData + nSize)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize) {
    CheckContents(pData, nSize);
    CheckCategories(pData, nSize);
    return 0;
}
