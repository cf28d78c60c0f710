// The pages of a Jet 4 file, read from the file itself. Opening checks the
// header page (signature, version; the page size follows from the version)
// and decodes its encoded block for the database key. A database whose key
// is not zero has every page after the header encoded with that key and the
// page's number; such pages are decoded as they are read.
#pragma once

#include <memory>
#include <string>

#include "projectdb/JetFile.h"

namespace vd::jet {

// Opens a Jet 4 file for reading; it stays open while the page source
// lives, readable and writable by others (its owner may keep it open).
// Raises CEngineException, naming the file, when it is missing, cannot be
// read, or is not a Jet 4 database (a Jet 3 file is refused by name).
std::unique_ptr<CPageSource> OpenJetPageFile(const std::string& strPath);

// The Jet header's stream cipher (RC4): nData bytes at pData encoded or
// decoded with the key of nKey bytes.
void JetRc4(const std::uint8_t* pKey, std::size_t nKey, std::uint8_t* pData, std::size_t nData);

}  // namespace vd::jet
