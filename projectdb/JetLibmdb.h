// The pages of a Jet file read through libmdb, which opens the file, checks
// and decrypts its header and reads (and where needed decrypts) its pages.
// libmdb is loaded when a Jet file is first opened, not with the library.
#pragma once

#include <memory>
#include <string>

#include "projectdb/JetFile.h"

namespace vd::jet {

// Opens a Jet 4 file for reading. Raises CEngineException (naming the file)
// when it is missing, not a Jet 4 database or cannot be opened, and when
// libmdb cannot be loaded.
std::unique_ptr<CPageSource> OpenLibmdbPageSource(const std::string& strPath);

// Loads the libmdb of that shared-object name and binds its functions, then
// lets it go; raises CEngineException, as opening a Jet file does, when it
// cannot be loaded.
void BindLibmdb(const char* pszSoname);

}  // namespace vd::jet
