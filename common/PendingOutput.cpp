#include "common/PendingOutput.h"

#include "common/FileSystem.h"
#include "common/FolderLock.h"
#include "common/HeldSignals.h"
#include "common/PathQuoting.h"
#include "common/StaleTemporaries.h"
#include "common/Strings.h"
#include "common/TemporaryRegistry.h"

namespace vd {
namespace {

// Names tried before giving up: stale temporaries of an earlier process with
// the same number, or other pending outputs of this call, take a few.
constexpr unsigned kMaxAttempts = 1000;

}  // namespace

bool CPendingOutput::Create(const std::string& strFinalPath, std::string* pstrCause) {
    // Temporaries that killed writers left in this folder go first.
    RemoveStaleTemporaries(FolderPart(strFinalPath));
    return bReserveName(strFinalPath, pstrCause);
}

bool CPendingOutput::bReserveName(const std::string& strFinalPath, std::string* pstrCause) {
    Discard();
    const std::string strStem =
        FolderPart(strFinalPath) + "~vd" + std::to_string(CurrentProcessNumber()) + "-";
    for (unsigned n = 0; n < kMaxAttempts; ++n) {
        const std::string strCandidate = strStem + std::to_string(n) + ".tmp";
        switch (CreateNewFile(strCandidate, pstrCause)) {
            case ECreateResult::created:
                m_strFinalPath = strFinalPath;
                m_strTempPath = strCandidate;
                RegisterTemporary(m_strTempPath);
                return true;
            case ECreateResult::exists:
                continue;
            case ECreateResult::failed:
                return false;
        }
    }
    SetReason(pstrCause, "no free temporary name in the folder");
    return false;
}

bool CPendingOutput::bPrepare(std::string* pstrCause) {
    if (m_strTempPath.empty()) {
        SetReason(pstrCause, "nothing to commit");
        return false;
    }
    CopyPermissions(m_strFinalPath, m_strTempPath);
    return bFlushToDisk(m_strTempPath, pstrCause);
}

bool CPendingOutput::bRename(std::string* pstrCause) {
    if (!bRenameReplacing(m_strTempPath, m_strFinalPath, pstrCause)) return false;
    UnregisterTemporary(m_strTempPath);
    m_strTempPath.clear();
    return true;
}

bool CPendingOutput::Commit(std::string* pstrCause) {
    if (bPrepare(pstrCause) && bRename(pstrCause)) return true;
    Discard();
    return false;
}

void CPendingOutput::Discard() noexcept {
    if (m_strTempPath.empty()) return;
    RemoveFileQuietly(m_strTempPath);
    UnregisterTemporary(m_strTempPath);
    m_strTempPath.clear();
}

bool bCommitBoth(CPendingOutput& first, CPendingOutput& second, std::string* pstrCause) {
    // Both files are complete on the disk before either name changes, so
    // that only the two renames stand between the old pair and the new one.
    if (!first.bPrepare(pstrCause) || !second.bPrepare(pstrCause)) {
        first.Discard();
        second.Discard();
        return false;
    }
    // Declared in this order, they end in reverse: the earlier file's
    // reserved name goes, then the folder is unlocked, then a signal that
    // arrived meanwhile is delivered. Every writer takes the lock on the
    // first output's folder, so two pairs never interleave.
    const CHeldSignals held;
    const CFolderLock lock(FolderPart(first.m_strFinalPath));
    // The first final name's earlier file is kept under a reserved name until
    // the second rename has succeeded, so that it can be put back.
    CPendingOutput earlier;
    const bool bHadEarlier = bNameExists(first.m_strFinalPath);
    if (bHadEarlier && (!earlier.bReserveName(first.m_strFinalPath, pstrCause) ||
                        !bKeepUnderAlias(first.m_strFinalPath, earlier.m_strTempPath, pstrCause))) {
        first.Discard();
        second.Discard();
        return false;
    }
    const auto PutBack = [&] {
        if (!bHadEarlier) {
            RemoveFileQuietly(first.m_strFinalPath);
        } else if (bRenameReplacing(earlier.m_strTempPath, first.m_strFinalPath, nullptr)) {
            UnregisterTemporary(earlier.m_strTempPath);
            earlier.m_strTempPath.clear();
        } else {
            // Keep the earlier file where it is rather than lose it.
            SetReason(pstrCause, (pstrCause != nullptr ? *pstrCause : std::string()) +
                                     "; the earlier " + QuotePath(first.m_strFinalPath) +
                                     " is kept as " + QuotePath(earlier.m_strTempPath));
            UnregisterTemporary(earlier.m_strTempPath);
            earlier.m_strTempPath.clear();
        }
    };
    if (!first.bRename(pstrCause)) {
        first.Discard();
        second.Discard();
        // A hard link left the earlier file in place; a move took it away.
        if (bHadEarlier && !bNameExists(first.m_strFinalPath)) PutBack();
        return false;
    }
    if (!second.bRename(pstrCause)) {
        second.Discard();
        PutBack();
        return false;
    }
    return true;  // "earlier" removes the reserved name of the replaced file
}

}  // namespace vd
