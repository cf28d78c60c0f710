// Pieces shared by the two navigation compilers: the binary output file and
// the decimal numbers of their text lines.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "common/PendingOutput.h"

namespace vd {

// The binary output of a compiler ("wb+"). It is written under a temporary
// name beside strPath and replaces strPath only when Close succeeds; when the
// compiler stops early, the destructor removes the temporary and a file
// already at strPath stays as it was.
class CBinaryOutput {
  public:
    // Prepares strPath; answers false with the system's reason in *pstrCause.
    bool Create(const std::string& strPath, std::string* pstrCause);
    // Writes all nCount bytes; answers false with "<path>: write error:
    // <cause>" in *pstrReason when given.
    bool Write(const void* pData, std::size_t nCount, std::string* pstrReason);
    // Flushes, closes and puts the output in place; answers false, with the
    // reason as for Write, when the system reports an error.
    bool Close(std::string* pstrReason);

  private:
    struct CFileCloser {
        void operator()(std::FILE* pFile) const noexcept { std::fclose(pFile); }
    };
    void SetWriteError(std::string* pstrReason) const;

    CPendingOutput m_pending;  // destroyed after the file is closed
    std::unique_ptr<std::FILE, CFileCloser> m_pFile;
    std::string m_strPath;
};

class CTextLineReader;

// Opens the text input of one compilation and creates its binary output.
// Answers false, with a one-line reason in *pstrReason, when the input cannot
// be opened, when the output would be the input itself, or when the output
// cannot be created; no output file is made in the first two cases.
// pszInputKind names the input in the reason ("outline", "category list").
bool bOpenCompilation(const std::string& strInput, const char* pszInputKind,
                      const std::string& strOutput, CTextLineReader& reader, CBinaryOutput& output,
                      std::string* pstrReason);

// The low 8 bits of the decimal number at the start of [pBegin, pEnd): white
// space skipped, an optional sign, digits up to the first non-digit; no
// digits give 0. Numbers of any length wrap modulo 256 (-1 gives 0xFF).
std::uint8_t nLowByteOfDecimal(const char* pBegin, const char* pEnd);

// "line N" or "line N (from column C)" for messages about one piece of a line.
std::string LinePlace(long nLine, std::size_t nColumn);

}  // namespace vd
