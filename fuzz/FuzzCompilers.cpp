// Feeds arbitrary bytes as an outline and as a category list to both
// compilers, writing into a private temporary folder.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "vellumdesk.h"

namespace {

// The fuzzer's working folder, made once per process (with its separator).
const std::string& WorkFolder() {
    static const std::string strFolder = [] {
        // In memory where the system offers it: the outputs are flushed to
        // the disk before they are put in place, which a disk pays for.
        std::string strTemplate = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        strTemplate += "/vellumdesk-fuzz-XXXXXX";
        const char* pszFolder = ::mkdtemp(strTemplate.data());
        if (pszFolder == nullptr) std::abort();
        return std::string(pszFolder) + "/";
    }();
    return strFolder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize) {
    const std::string& strFolder = WorkFolder();
    const std::string strInput = strFolder + "input.txt";
    std::FILE* pFile = std::fopen(strInput.c_str(), "wb");
    if (pFile == nullptr) return 0;
    const bool bWritten = std::fwrite(pData, 1, nSize, pFile) == nSize;
    if (std::fclose(pFile) != 0 || !bWritten) return 0;

    const std::int32_t nContents = bCompileContents(strInput.c_str(), strFolder.c_str());
    const std::int32_t nCategory = bCompileCategory(strInput.c_str(), strFolder.c_str());
    if ((nContents != 0 && nContents != 1) || (nCategory != 0 && nCategory != 1)) std::abort();
    return 0;
}
