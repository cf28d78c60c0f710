// Errors raised below the drivers: the file error and the memory error.
// Every error of the library derives from CException, so a driver or an
// exported operation can stop all of them with one handler.
#pragma once

#include <exception>
#include <string>

namespace vd {

class CException : public std::exception {
  public:
    explicit CException(std::string strMessage) : m_strMessage(std::move(strMessage)) {}
    const char* what() const noexcept override { return m_strMessage.c_str(); }

  private:
    std::string m_strMessage;
};

// A failed read, write, seek or close of a file object.
class CFileException : public CException {
  public:
    CFileException(std::string strPath, std::string strCause)
        : CException(strPath + ": " + strCause),
          m_strPath(std::move(strPath)),
          m_strCause(std::move(strCause)) {}
    const std::string& GetPath() const { return m_strPath; }
    const std::string& GetCause() const { return m_strCause; }

  private:
    std::string m_strPath;
    std::string m_strCause;
};

// An allocation that failed.
class CMemoryException : public CException {
  public:
    CMemoryException() : CException("out of memory") {}
};

}  // namespace vd
