// Temporaries of this library ("~vd<process>-<n>.tmp") that a writer left
// behind when it was killed. They are removed from a folder whenever an
// output is created there, but only when both hold: the process that wrote
// them is gone on this machine, and they are older than one hour, so that a
// live writer on another machine sharing the folder is never disturbed.
#pragma once

#include <string>

namespace vd {

// Removes the stale temporaries in strFolder ("" is the current folder; a
// folder ends in its separator), ignoring every error. Answers how many were
// removed.
unsigned RemoveStaleTemporaries(const std::string& strFolder) noexcept;

// True when strName (a name without folder) has the form of a temporary of
// this library; *pnProcess receives the writer's process number.
bool bTemporaryName(const std::string& strName, unsigned long* pnProcess) noexcept;

}  // namespace vd
