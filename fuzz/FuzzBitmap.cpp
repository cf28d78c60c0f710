// libFuzzer target: bitmap file bytes -> LoadPackedDib -> ConvertDibToGif
// into a temporary file, and the same through CBitmapFile (rows read from
// the file as needed), which must write the same bytes. Any crash,
// sanitizer report, leak or difference is a finding.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/Exceptions.h"
#include "common/File.h"
#include "gif/BitmapFile.h"
#include "gif/DibToGif.h"
#include "gif/PackedDib.h"

namespace {

// The input and output files of this process, made once and removed at exit.
class CScratchFiles {
  public:
    CScratchFiles()
        : m_strInput(Make("in")), m_strOutput(Make("out")), m_strStreamed(Make("str")) {}
    ~CScratchFiles() {
        std::remove(m_strInput.c_str());
        std::remove(m_strOutput.c_str());
        std::remove(m_strStreamed.c_str());
    }
    const std::string& Input() const { return m_strInput; }
    const std::string& Output() const { return m_strOutput; }
    const std::string& Streamed() const { return m_strStreamed; }

  private:
    static std::string Make(const char* pszWhat) {
        const char* pszTemp = std::getenv("TMPDIR");
        std::string strPath = std::string(pszTemp != nullptr ? pszTemp : "/tmp") + "/fuzz-bitmap-" +
                              pszWhat + "-XXXXXX";
        const int fd = ::mkstemp(strPath.data());
        if (fd < 0) std::abort();
        ::close(fd);
        return strPath;
    }
    std::string m_strInput;
    std::string m_strOutput;
    std::string m_strStreamed;
};

std::string ReadAll(const std::string& strPath) {
    std::string strBytes;
    if (std::FILE* f = std::fopen(strPath.c_str(), "rb")) {
        char buffer[65536];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) {
            strBytes.append(buffer, n);
        }
        std::fclose(f);
    }
    return strBytes;
}

// Run-length bitmaps are decoded into rows of their full size; very large
// ones are skipped so that each input stays quick (the library itself
// refuses those above 256 MiB).
bool TooLargeToDecode(const std::uint8_t* pData, std::size_t nSize) {
    if (nSize < 14 + 40) return false;
    const std::uint8_t* p = pData + 14;
    const std::uint32_t nCompression = vd::ReadLe32(p + vd::dib::kCompression);
    if (nCompression != vd::kCompressionRle8 && nCompression != vd::kCompressionRle4) return false;
    const auto nWidth = static_cast<std::int32_t>(vd::ReadLe32(p + vd::dib::kWidth));
    const auto nHeight = static_cast<std::int32_t>(vd::ReadLe32(p + vd::dib::kHeight));
    const std::int64_t nPixels = std::int64_t{nWidth} * std::int64_t{nHeight};
    return nPixels > (std::int64_t{1} << 20) || nPixels < -(std::int64_t{1} << 20);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize) {
    static const CScratchFiles files;
    if (TooLargeToDecode(pData, nSize)) return 0;
    if (std::FILE* f = std::fopen(files.Input().c_str(), "wb")) {
        const bool bWritten = std::fwrite(pData, 1, nSize, f) == nSize;
        if (std::fclose(f) != 0 || !bWritten) return 0;
    } else {
        return 0;
    }
    int nWhole = -1;
    int nStreamed = -1;
    try {
        vd::CFile input;
        if (!input.Open(files.Input(), vd::CFile::modeReadShareDenyWrite)) return 0;
        vd::CMemoryBlock hDib = vd::LoadPackedDib(input);
        input.Close();
        if (!hDib) return 0;
        vd::CFile output;
        if (!output.Open(files.Output(), vd::CFile::modeCreateReadWriteExclusive)) return 0;
        std::string strReason;
        nWhole = vd::ConvertDibToGif(hDib, output, &strReason);
        output.Close();

        vd::CFile source;
        vd::CFile streamed;
        vd::CBitmapFile bitmap;
        if (!source.Open(files.Input(), vd::CFile::modeReadShareDenyWrite) ||
            !streamed.Open(files.Streamed(), vd::CFile::modeCreateReadWriteExclusive) ||
            !bitmap.Load(source)) {
            std::abort();  // the whole block loaded, so the file is a bitmap file
        }
        nStreamed = bitmap.ConvertToGif(streamed, &strReason);
        streamed.Close();
    } catch (const vd::CException&) {
        // File errors are an answer, not a finding.
        return 0;
    }
    if (nWhole != nStreamed ||
        (nWhole == 1 && ReadAll(files.Output()) != ReadAll(files.Streamed()))) {
        std::abort();
    }
    return 0;
}
