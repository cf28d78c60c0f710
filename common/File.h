// The file object: one open file, read-only (others may read, not write) or
// created for reading and writing (truncated, not shared).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vd {

class CFile {
  public:
    enum EOpenMode {
        modeReadShareDenyWrite,        // read-only; writing by others denied
        modeCreateReadWriteExclusive,  // create or truncate, read-write, no sharing
        modeReadShareReadWrite,        // read-only; others may read and write (a database
                                       // that its owner keeps open)
    };

    CFile() = default;
    ~CFile();  // aborts a file still open
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    // Opens pathName; answers false (and stays closed) when it cannot. When
    // pstrCause is given it receives the system's reason for a failure.
    bool Open(const std::string& pathName, EOpenMode mode, std::string* pstrCause = nullptr);
    bool IsOpen() const { return m_hFile != kInvalid; }

    // Reads up to nCount bytes; answers the count read, short only at the end
    // of the file. Raises CFileException on a read error.
    std::size_t Read(void* pBuffer, std::size_t nCount);
    // Writes all nCount bytes or raises CFileException.
    void Write(const void* pBuffer, std::size_t nCount);
    // Moves by nOffset from the current position; answers the new position.
    std::uint64_t Seek(std::int64_t nOffset);
    std::uint64_t GetLength() const;
    std::uint64_t GetPosition() const;

    // Closes the file; raises CFileException when the system reports an error.
    void Close();
    // Closes the file at once, ignoring every error.
    void Abort() noexcept;

    // The path as given to Open, and its name and extension part.
    const std::string& GetFilePath() const { return m_strPath; }
    std::string GetFileName() const;

  private:
    [[noreturn]] void ThrowLastError(const char* pszWhat) const;

#ifdef _WIN32
    using Handle = void*;
    static inline Handle const kInvalid = reinterpret_cast<Handle>(static_cast<std::intptr_t>(-1));
#else
    using Handle = int;
    static constexpr Handle kInvalid = -1;
#endif
    Handle m_hFile = kInvalid;
    std::string m_strPath;
};

}  // namespace vd
