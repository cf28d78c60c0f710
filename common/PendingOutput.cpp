#include "common/PendingOutput.h"

#include "common/FileSystem.h"
#include "common/Strings.h"

namespace vd {
namespace {

// Names tried before giving up: stale temporaries of an earlier process with
// the same number, or other pending outputs of this call, take a few.
constexpr unsigned kMaxAttempts = 1000;

}  // namespace

bool CPendingOutput::Create(const std::string& strFinalPath, std::string* pstrCause) {
    Discard();
    const std::string strStem =
        FolderPart(strFinalPath) + "~vd" + std::to_string(CurrentProcessNumber()) + "-";
    for (unsigned n = 0; n < kMaxAttempts; ++n) {
        const std::string strCandidate = strStem + std::to_string(n) + ".tmp";
        switch (CreateNewFile(strCandidate, pstrCause)) {
            case ECreateResult::created:
                m_strFinalPath = strFinalPath;
                m_strTempPath = strCandidate;
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

bool CPendingOutput::bRenameOntoFinal(std::string* pstrCause) {
    if (m_strTempPath.empty()) {
        SetReason(pstrCause, "nothing to commit");
        return false;
    }
    CopyPermissions(m_strFinalPath, m_strTempPath);
    if (!bFlushToDisk(m_strTempPath, pstrCause) ||
        !bRenameReplacing(m_strTempPath, m_strFinalPath, pstrCause)) {
        return false;
    }
    m_strTempPath.clear();
    return true;
}

bool CPendingOutput::Commit(std::string* pstrCause) {
    if (bRenameOntoFinal(pstrCause)) return true;
    Discard();
    return false;
}

void CPendingOutput::Discard() noexcept {
    if (m_strTempPath.empty()) return;
    RemoveFileQuietly(m_strTempPath);
    m_strTempPath.clear();
}

bool bCommitBoth(CPendingOutput& first, CPendingOutput& second, std::string* pstrCause) {
    // The first final name's earlier file is kept under a reserved name until
    // the second rename has succeeded, so that it can be put back.
    CPendingOutput earlier;
    const bool bHadEarlier = bNameExists(first.m_strFinalPath);
    // Taken now: the earlier file may be moved away below.
    CopyPermissions(first.m_strFinalPath, first.m_strTempPath);
    if (bHadEarlier && (!earlier.Create(first.m_strFinalPath, pstrCause) ||
                        !bKeepUnderAlias(first.m_strFinalPath, earlier.m_strTempPath, pstrCause))) {
        first.Discard();
        second.Discard();
        return false;
    }
    const auto PutBack = [&] {
        if (!bHadEarlier) {
            RemoveFileQuietly(first.m_strFinalPath);
        } else if (bRenameReplacing(earlier.m_strTempPath, first.m_strFinalPath, nullptr)) {
            earlier.m_strTempPath.clear();
        } else {
            // Keep the earlier file where it is rather than lose it.
            SetReason(pstrCause, (pstrCause != nullptr ? *pstrCause : std::string()) +
                                     "; the earlier " + first.m_strFinalPath + " is kept as " +
                                     earlier.m_strTempPath);
            earlier.m_strTempPath.clear();
        }
    };
    if (!first.bRenameOntoFinal(pstrCause)) {
        first.Discard();
        second.Discard();
        // A hard link left the earlier file in place; a move took it away.
        if (bHadEarlier && !bNameExists(first.m_strFinalPath)) PutBack();
        return false;
    }
    if (!second.bRenameOntoFinal(pstrCause)) {
        second.Discard();
        PutBack();
        return false;
    }
    return true;  // "earlier" removes the reserved name of the replaced file
}

}  // namespace vd
