// An output file that replaces its final name whole or not at all. It is
// written under a fresh temporary name in the final name's folder and renamed
// onto the final name only once it is complete and closed; until then a file
// already at the final name stays as it was. A pending output that is not
// committed removes its temporary when it is destroyed.
#pragma once

#include <string>

namespace vd {

class CPendingOutput {
  public:
    CPendingOutput() = default;
    ~CPendingOutput() { Discard(); }
    CPendingOutput(const CPendingOutput&) = delete;
    CPendingOutput& operator=(const CPendingOutput&) = delete;

    // Reserves a new, empty temporary file beside strFinalPath (same folder,
    // a name no other output has: "~vd<process>-<n>.tmp"), after removing
    // the stale temporaries of killed writers from that folder. Answers
    // false, with the system's reason in *pstrCause, when none can be created.
    bool Create(const std::string& strFinalPath, std::string* pstrCause);

    // Where to write (the temporary) and what it will replace.
    const std::string& GetTempPath() const { return m_strTempPath; }
    const std::string& GetFinalPath() const { return m_strFinalPath; }

    // Flushes the temporary (written and closed by the caller) to the disk
    // and renames it onto the final name, replacing a file or a symbolic link
    // there (the link, never its target). On failure the temporary is removed,
    // the final name is left as it was and *pstrCause says why.
    bool Commit(std::string* pstrCause);

    // Removes the temporary unless it was committed.
    void Discard() noexcept;

    // Commits two outputs together: both are flushed first, then both final
    // names are replaced under the lock on the first one's folder, or, when
    // either rename fails, neither is (the first one's earlier file is put
    // back). Both temporaries are removed on failure.
    friend bool bCommitBoth(CPendingOutput& first, CPendingOutput& second, std::string* pstrCause);

  private:
    // Reserves the temporary name without first sweeping the folder.
    bool bReserveName(const std::string& strFinalPath, std::string* pstrCause);
    // Gives the temporary the final name's permissions and flushes it.
    bool bPrepare(std::string* pstrCause);
    // Renames the prepared temporary onto the final name.
    bool bRename(std::string* pstrCause);

    std::string m_strFinalPath;
    std::string m_strTempPath;  // empty once committed or discarded
};

bool bCommitBoth(CPendingOutput& first, CPendingOutput& second, std::string* pstrCause);

}  // namespace vd
