#include "compilers/TextLineReader.h"

#include <cerrno>
#include <cstring>

#include "common/PlatformPath.h"
#include "common/TextLimits.h"

namespace vd {

namespace {
constexpr int kEndOfText = 0x1A;  // ends the input of a text-mode stream
}

bool CTextLineReader::Open(const std::string& strPath, std::string* pstrCause) {
    Close();
    m_nPos = m_nFill = 0;
    m_bHavePending = m_bEnd = m_bError = false;
    m_strErrorCause.clear();
    m_nLine = 1;
    m_nColumn = 1;
    m_nPieceLine = 0;
    m_nPieceColumn = 0;
    m_nTotalRead = 0;
    if (strPath.find('\0') != std::string::npos) {
        if (pstrCause != nullptr) *pstrCause = "the path holds a zero byte";
        return false;
    }
    errno = 0;
    m_pFile.reset(OpenStdioFile(strPath, "rb"));
    if (!m_pFile) {
        if (pstrCause != nullptr) *pstrCause = std::strerror(errno != 0 ? errno : ENOENT);
        return false;
    }
    return true;
}

int CTextLineReader::NextRawByte() {
    if (m_nPos == m_nFill) {
        if (!m_pFile) return kRawEnd;
        errno = 0;
        m_nFill = std::fread(m_buffer.data(), 1, m_buffer.size(), m_pFile.get());
        m_nPos = 0;
        m_nTotalRead += m_nFill;
        if (m_nTotalRead > kMaxTextInputBytes) {
            m_strErrorCause = std::string("it is ") + kTextInputLimitText;
            return kRawError;
        }
        if (m_nFill == 0) {
            if (std::ferror(m_pFile.get()) != 0) {
                m_strErrorCause = std::strerror(errno != 0 ? errno : EIO);
                return kRawError;
            }
            return kRawEnd;
        }
    }
    return m_buffer[m_nPos++];
}

int CTextLineReader::NextChar() {
    if (m_bError) return kRawError;
    if (m_bEnd) return kRawEnd;
    int c = kRawEnd;
    if (m_bHavePending) {
        c = m_nPending;
        m_bHavePending = false;
    } else {
        c = NextRawByte();
    }
    if (c == kRawError) {
        m_bError = true;
        return kRawError;
    }
    if (c == kRawEnd || c == kEndOfText) {
        m_bEnd = true;
        return kRawEnd;
    }
    if (c == '\r') {
        // Only a carriage return right before a line feed is dropped; look
        // one byte ahead and keep that byte for the next call otherwise.
        const int next = NextRawByte();
        if (next == '\n') return '\n';
        m_nPending = next;
        m_bHavePending = true;
    }
    return c;
}

CTextLineReader::EResult CTextLineReader::ReadLine(char* pLine, std::size_t nMax,
                                                   std::size_t* pnRead) {
    std::size_t nRead = 0;
    m_nPieceLine = m_nLine;
    m_nPieceColumn = m_nColumn;
    while (nRead < nMax) {
        const int c = NextChar();
        if (c == kRawError) {
            *pnRead = 0;
            return resultError;
        }
        if (c == kRawEnd) break;
        if (c != '\n' && m_nColumn > kMaxTextLineBytes) {
            m_bError = true;
            m_strErrorCause = "line " + std::to_string(m_nLine) + " is " + kTextLineLimitText;
            *pnRead = 0;
            return resultError;
        }
        pLine[nRead++] = static_cast<char>(c);
        if (c == '\n') {
            ++m_nLine;
            m_nColumn = 1;
            break;
        }
        ++m_nColumn;
    }
    *pnRead = nRead;
    return nRead > 0 ? resultLine : resultEnd;
}

}  // namespace vd
