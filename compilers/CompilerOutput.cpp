#include "compilers/CompilerOutput.h"

#include <cerrno>
#include <cstring>

#include "common/FileSystem.h"
#include "common/PathQuoting.h"
#include "common/PlatformPath.h"
#include "common/Strings.h"
#include "compilers/TextLineReader.h"

namespace vd {

static std::string SystemCause(int nError, int nFallback) {
    return std::strerror(nError != 0 ? nError : nFallback);
}

bool CBinaryOutput::Create(const std::string& strPath, std::string* pstrCause) {
    m_pFile.reset();
    if (strPath.find('\0') != std::string::npos) {
        if (pstrCause != nullptr) *pstrCause = "the path holds a zero byte";
        return false;
    }
    if (!m_pending.Create(strPath, pstrCause)) return false;
    errno = 0;
    m_pFile.reset(OpenStdioFile(m_pending.GetTempPath(), "wb+"));
    if (!m_pFile) {
        if (pstrCause != nullptr) *pstrCause = SystemCause(errno, EACCES);
        m_pending.Discard();
        return false;
    }
    m_strPath = strPath;
    return true;
}

void CBinaryOutput::SetWriteError(std::string* pstrReason) const {
    SetReason(pstrReason, "cannot write " + QuotePath(m_strPath) + ": " + SystemCause(errno, EIO));
}

bool CBinaryOutput::Write(const void* pData, std::size_t nCount, std::string* pstrReason) {
    if (!m_pFile) return false;
    errno = 0;
    if (std::fwrite(pData, 1, nCount, m_pFile.get()) != nCount) {
        SetWriteError(pstrReason);
        return false;
    }
    return true;
}

bool CBinaryOutput::Close(std::string* pstrReason) {
    if (!m_pFile) return true;
    errno = 0;
    if (std::fclose(m_pFile.release()) != 0) {
        SetWriteError(pstrReason);
        m_pending.Discard();
        return false;
    }
    std::string strCause;
    if (!m_pending.Commit(&strCause)) {
        SetReason(pstrReason, "cannot replace " + QuotePath(m_strPath) + ": " + strCause);
        return false;
    }
    return true;
}

std::uint8_t nLowByteOfDecimal(const char* pBegin, const char* pEnd) {
    const char* p = pBegin;
    while (p != pEnd &&
           (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\v' || *p == '\f' || *p == '\r')) {
        ++p;
    }
    bool bNegative = false;
    if (p != pEnd && (*p == '+' || *p == '-')) {
        bNegative = *p == '-';
        ++p;
    }
    // Only the low 8 bits are kept, so the arithmetic wraps modulo 256 and
    // never overflows however many digits follow.
    unsigned nValue = 0;
    while (p != pEnd && *p >= '0' && *p <= '9') {
        nValue = (nValue * 10U + static_cast<unsigned>(*p - '0')) & 0xFFU;
        ++p;
    }
    if (bNegative) nValue = (0x100U - nValue) & 0xFFU;
    return static_cast<std::uint8_t>(nValue);
}

std::string LinePlace(long nLine, std::size_t nColumn) {
    std::string strPlace = "line " + std::to_string(nLine);
    if (nColumn > 1) strPlace += " (from column " + std::to_string(nColumn) + ")";
    return strPlace;
}

bool bOpenCompilation(const std::string& strInput, const char* pszInputKind,
                      const std::string& strOutput, CTextLineReader& reader, CBinaryOutput& output,
                      std::string* pstrReason) {
    std::string strCause;
    if (!reader.Open(strInput, &strCause)) {
        SetReason(pstrReason, "cannot open " + QuotePath(strInput) + ": " + strCause);
        return false;
    }
    if (bSameFile(strInput, strOutput)) {
        SetReason(pstrReason, "cannot replace " + QuotePath(strOutput) + ": it is the " +
                                  pszInputKind + " itself (left untouched)");
        return false;
    }
    if (!output.Create(strOutput, &strCause)) {
        SetReason(pstrReason, "cannot create " + QuotePath(strOutput) + ": " + strCause);
        return false;
    }
    return true;
}

}  // namespace vd
