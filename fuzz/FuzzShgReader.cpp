// Feeds arbitrary bytes to the SHG reader (through a file, as the conversion
// reads it), to the metafile reader directly (so that its records are
// reached without the SHG header and packing around them) and to the archive
// loading of a hotspot area. A picture the SHG reader accepts goes on, as in
// the conversion but without the project database's links, through the GIF
// writer (into a file in memory) and the image-map writer; true-colour
// pictures and metafiles' bitmaps included.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>

#include "common/Exceptions.h"
#include "common/File.h"
#include "gif/DibToGif.h"
#include "hypergraphics/Archive.h"
#include "hypergraphics/Area.h"
#include "hypergraphics/AreaList.h"
#include "hypergraphics/ImageMap.h"
#include "hypergraphics/Metafile.h"
#include "hypergraphics/ShgReader.h"

namespace {

// The fuzzer's input file, in a folder made once per process.
const std::string& InputPath() {
    static const std::string strPath = [] {
        // In memory where the system offers it.
        std::string strTemplate = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        strTemplate += "/vellumdesk-fuzz-shg-XXXXXX";
        const char* pszFolder = ::mkdtemp(strTemplate.data());
        if (pszFolder == nullptr) std::abort();
        return std::string(pszFolder) + "/input.shg";
    }();
    return strPath;
}

// A file in memory for the GIF, made once per process; answers its path, or
// "/dev/null" when the system has no such files.
const std::string& GifPath() {
    static const std::string strPath = [] {
        const int fd = ::memfd_create("vellumdesk-fuzz-gif", 0);
        return fd < 0 ? std::string("/dev/null") : "/proc/self/fd/" + std::to_string(fd);
    }();
    return strPath;
}

// Pictures up to this size go through the GIF writer; larger ones, which
// only mutations of large seeds give, would slow the fuzzer down for little.
constexpr std::size_t kMaxGifInput = std::size_t{1} << 20;

// Writes the picture as GIF and the areas, with the targets as read, as an
// image map.
void WriteOutputs(vd::CMemoryBlock& block, const vd::CAreaList& list) {
    const std::string strMap = vd::MapText("input.map", list);
    if (strMap.rfind("<MAP NAME=\"input.map\">\r\n", 0) != 0) std::abort();
    if (block.GetSize() > kMaxGifInput) return;
    vd::CFile gif;
    if (!gif.Open(GifPath(), vd::CFile::modeCreateReadWriteExclusive)) std::abort();
    std::string strRefusal;
    try {
        const int nResult = vd::ConvertDibToGif(block, gif, &strRefusal);
        if (nResult == 0 && strRefusal.empty()) std::abort();  // every refusal says why
        if (nResult == 1 && GifPath() != "/dev/null" && gif.GetLength() < 6 + 7 + 6 + 10 + 2) {
            std::abort();  // shorter than the smallest whole GIF
        }
        gif.Close();
    } catch (const vd::CException&) {
        gif.Abort();  // a picture too large for memory
    }
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
        WriteOutputs(block, list);
    } else if (strReason.empty()) {
        std::abort();  // every refusal says why
    }
}

void ReadMetafile(const std::uint8_t* pData, std::size_t nSize) {
    vd::CMetafileBitmap bitmap;
    std::string strReason;
    if (vd::bReadMetafile(std::span<const std::uint8_t>(pData, nSize), bitmap, &strReason)) {
        // The bitmap lies inside the bytes and holds at least its header.
        if (bitmap.nDibOffset > nSize || bitmap.nDibSize > nSize - bitmap.nDibOffset ||
            bitmap.nDibSize < 40) {
            std::abort();
        }
    } else if (strReason.empty()) {
        std::abort();  // every refusal says why
    }
    if (vd::DescribeMetafileRecords(bitmap).empty()) std::abort();
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
    ReadMetafile(pData, nSize);
    LoadArea(pData, nSize);
    return 0;
}
