// Standard output that remembers its first write error, so that the tool can
// report text that was lost (a full disk, a closed pipe) instead of ending
// with status 0.
#pragma once

namespace vd::cli {

// Puts a stream in place of stdout that writes to descriptor 1 and keeps the
// first error a write met. Buffered as stdout was: by lines on a terminal,
// else in blocks.
void InstallCheckedStdout();

// Flushes and closes stdout. Answers 0 when everything written reached
// descriptor 1, else the error number of the first failed write.
int CloseCheckedStdout();

}  // namespace vd::cli
