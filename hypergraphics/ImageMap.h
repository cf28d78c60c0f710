// The HTML image map of a published hypergraphic: one MAP element named after
// the map file, with one rectangular AREA per hotspot linking to its target.
#pragma once

#include <string>

#include "common/File.h"

namespace vd {

class CAreaList;

// Writes the map for the GIF file just written (gifFile, still open) into the
// destination folder for "_.map", named after the GIF file with the
// extension "map"; an existing map is replaced. Answers 1 when the map was
// written completely. When the map cannot be created it answers 0 and leaves
// the GIF file alone; when writing it fails the GIF file is aborted and it
// answers 0. Engine errors of the folder lookup pass to the caller.
int bWriteImageMap(CFile& gifFile, const CAreaList& list, std::string* pstrReason = nullptr);

// Writes the map text to mapFile (open for writing), one write per line, CR LF
// line ends; the MAP is named after mapFile's own name. Answers 1; write
// errors raise CFileException.
int WriteMapText(CFile& mapFile, const CAreaList& list);

// The name of the map file for a GIF path: the part after the last separator
// with its last three characters replaced by "map".
std::string MapFileName(const std::string& strGifPath);

}  // namespace vd
