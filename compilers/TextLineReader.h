// Reads a text file line by line the way a text-mode stream does on every
// platform: a carriage return right before a line feed is dropped, a byte
// 0x1A ends the input, and a carriage return anywhere else stays. A file
// longer than 256 MiB, or a line longer than 1 MiB, is a read error whose
// cause names the limit.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

namespace vd {

class CTextLineReader {
  public:
    enum EResult {
        resultLine,   // at least one character was read
        resultEnd,    // nothing was read: the end of the input
        resultError,  // the system reported a read error
    };

    CTextLineReader() = default;
    CTextLineReader(const CTextLineReader&) = delete;
    CTextLineReader& operator=(const CTextLineReader&) = delete;

    // Opens strPath for reading; answers false when it cannot, with the
    // system's reason in *pstrCause when given.
    bool Open(const std::string& strPath, std::string* pstrCause = nullptr);
    void Close() noexcept { m_pFile.reset(); }

    // Reads at most nMax characters into pLine, stopping after a line feed,
    // which is kept; a longer line comes in pieces, one per call. *pnRead
    // receives the count read. No terminating zero is added.
    EResult ReadLine(char* pLine, std::size_t nMax, std::size_t* pnRead);

    // True once a read has met the end of the input (or a 0x1A byte).
    bool AtEnd() const { return m_bEnd; }

    // The system's reason for the last read error.
    const std::string& GetErrorCause() const { return m_strErrorCause; }

    // Where the piece returned by the last ReadLine started: its line (from 1)
    // and its column (from 1; above 1 only for the later pieces of a long line).
    long GetLineNumber() const { return m_nPieceLine; }
    std::size_t GetColumn() const { return m_nPieceColumn; }

  private:
    static constexpr int kRawEnd = -1;
    static constexpr int kRawError = -2;

    // Next byte of the file, or kRawEnd / kRawError.
    int NextRawByte();
    // Next character as a text-mode stream delivers it, or kRawEnd / kRawError.
    int NextChar();

    struct CFileCloser {
        void operator()(std::FILE* pFile) const noexcept { std::fclose(pFile); }
    };
    std::unique_ptr<std::FILE, CFileCloser> m_pFile;
    std::array<unsigned char, 16384> m_buffer{};
    std::size_t m_nPos = 0;
    std::size_t m_nFill = 0;
    int m_nPending = kRawEnd;  // a byte read ahead after a carriage return
    bool m_bHavePending = false;
    bool m_bEnd = false;
    bool m_bError = false;
    std::string m_strErrorCause;
    long m_nLine = 1;                // line of the next character
    std::size_t m_nColumn = 1;       // column of the next character
    std::uint64_t m_nTotalRead = 0;  // bytes read from the file so far
    long m_nPieceLine = 0;
    std::size_t m_nPieceColumn = 0;
};

}  // namespace vd
