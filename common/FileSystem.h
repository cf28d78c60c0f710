// Operations on files by their names, as the pending output needs them:
// exclusive creation, flushing to disk, renaming onto an existing name and
// removal. Paths are narrow strings, in the ANSI code page on Windows.
#pragma once

#include <string>

namespace vd {

enum class ECreateResult { created, exists, failed };

// Creates strPath as a new, empty file and closes it again. Answers exists
// when something (a file, folder or link) already has that name, failed with
// the system's reason in *pstrCause for every other error.
ECreateResult CreateNewFile(const std::string& strPath, std::string* pstrCause);

// Writes what the system still holds of the file's contents to the disk.
bool bFlushToDisk(const std::string& strPath, std::string* pstrCause);

// Renames strFrom onto strTo in one step, replacing a file or a symbolic link
// that has the name strTo (the link itself, never the file it points to).
bool bRenameReplacing(const std::string& strFrom, const std::string& strTo, std::string* pstrCause);

// Gives the file (or link) at strPath the second name strAlias, a name
// reserved for it (an empty file there is replaced): a hard link where the
// file system has them, so that strPath stays in place, otherwise by moving
// it to strAlias. A folder at strPath is refused.
bool bKeepUnderAlias(const std::string& strPath, const std::string& strAlias,
                     std::string* pstrCause);

// True when anything has the name strPath (a dangling link included).
bool bNameExists(const std::string& strPath) noexcept;

// Gives strTo the permission bits (and, where this process may, the owner)
// of the regular file strFrom, so that a replacement keeps them; does nothing
// when strFrom is no regular file, and ignores every error. Windows keeps no
// such bits on a file, so there it does nothing.
void CopyPermissions(const std::string& strFrom, const std::string& strTo) noexcept;

// True when strInput and strOutput are the same path, or name one and the
// same existing file (the same device and inode; the input through its
// links, the output as its own name, which is what replacing it changes), so
// that replacing the output would replace the input of the same call.
bool bSameFile(const std::string& strInput, const std::string& strOutput);

// Removes the file or link strPath, ignoring every error.
void RemoveFileQuietly(const std::string& strPath) noexcept;

// The number of the running process, to keep temporary names of processes
// apart.
unsigned long CurrentProcessNumber() noexcept;

}  // namespace vd
