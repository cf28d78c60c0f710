// The pages of a Jet file read through libmdb, which opens the file, checks
// and decrypts its header and reads (and where needed decrypts) its pages.
#pragma once

#include <memory>
#include <string>

#include "projectdb/JetFile.h"

namespace vd::jet {

// Opens a Jet 4 file for reading. Raises CEngineException (naming the file)
// when it is missing, not a Jet 4 database or cannot be opened.
std::unique_ptr<CPageSource> OpenLibmdbPageSource(const std::string& strPath);

}  // namespace vd::jet
