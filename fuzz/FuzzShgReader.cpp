// Feeds arbitrary bytes to the SHG reader (through a file, as the conversion
// reads it) and to the archive loading of a hotspot area.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>

#include "common/Exceptions.h"
#include "common/File.h"
#include "hypergraphics/Archive.h"
#include "hypergraphics/Area.h"
#include "hypergraphics/AreaList.h"
#include "hypergraphics/ShgReader.h"

namespace {

// The fuzzer's input file, in a folder made once per process.
const std::string& InputPath() {
    static const std::string strPath = [] {
        char szTemplate[] = "/tmp/vellumdesk-fuzz-shg-XXXXXX";
        const char* pszFolder = ::mkdtemp(szTemplate);
        if (pszFolder == nullptr) std::abort();
        return std::string(pszFolder) + "/input.shg";
    }();
    return strPath;
}

void ReadPicture(const std::uint8_t* pData, std::size_t nSize) {
    const std::string& strPath = InputPath();
    std::FILE* pFile = std::fopen(strPath.c_str(), "wb");
    if (pFile == nullptr) return;
    const bool bWritten = nSize == 0 || std::fwrite(pData, 1, nSize, pFile) == nSize;
    if (std::fclose(pFile) != 0 || !bWritten) return;

    vd::CFile file;
    if (!file.Open(strPath, vd::CFile::modeReadShareDenyWrite)) return;
    vd::CAreaList list;
    vd::CAreaListOwner owner(list);
    std::string strReason;
    vd::CMemoryBlock block = vd::ReadSHGFile(file, list, &strReason);
    if (block) {
        // Touch every byte, so a block shorter than its picture shows.
        vd::CMemoryLock lock(block);
        volatile std::uint8_t nSum = 0;
        for (std::size_t n = 0; n < lock.Size(); ++n) nSum = nSum + lock.Data()[n];
        if (block.GetSize() < 40) std::abort();
    } else if (strReason.empty()) {
        std::abort();  // every refusal says why
    }
}

void LoadArea(const std::uint8_t* pData, std::size_t nSize) {
    vd::CArchive ar{std::span<const std::uint8_t>(pData, nSize)};
    vd::CArea area;
    try {
        area.Serialize(ar);
    } catch (const vd::CArchiveException&) {
        return;
    }
    // A loaded area stores back to the bytes it was loaded from (up to the
    // 16-bit shape and the string and count forms, which are canonical).
    vd::CArchive store;
    area.Serialize(store);
    if (store.GetBuffer().size() > nSize) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize) {
    ReadPicture(pData, nSize);
    LoadArea(pData, nSize);
    return 0;
}
