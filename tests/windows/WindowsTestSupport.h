// Helpers of the Windows tests: a fresh temporary folder named the Windows
// way (backslash separators, ANSI code page).
#pragma once

#include <string>

namespace vd::wintest {

class CTempFolder {
  public:
    CTempFolder();
    ~CTempFolder();
    CTempFolder(const CTempFolder&) = delete;
    CTempFolder& operator=(const CTempFolder&) = delete;

    // The folder with its trailing backslash, and a path inside it.
    const std::string& Prefix() const { return m_strPrefix; }
    std::string File(const std::string& strName) const { return m_strPrefix + strName; }

  private:
    std::string m_strPrefix;
};

// Writes strBytes to a new file (replacing an old one) with the C runtime.
void WriteFileBytes(const std::string& strPath, const std::string& strBytes);

// The ANSI code page's bytes for a wide text, or "" when the code page cannot
// represent every character of it.
std::string WideToAnsi(const std::wstring& strWide);

}  // namespace vd::wintest
