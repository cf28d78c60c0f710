// The HTML image map of a published hypergraphic: one MAP element named after
// the map file, with one rectangular AREA per hotspot linking to its target.
#pragma once

#include <string>
#include <string_view>

#include "common/File.h"
#include "common/PendingOutput.h"

namespace vd {

class CAreaList;

// Writes the map for the GIF file strGifPath (the GIF's final name) into the
// destination folder for "_.map", named after the GIF file with the
// extension "map". The map goes under a temporary name into mapOutput,
// complete and closed but not yet in place: the caller commits it, together
// with the GIF. Answers 1 when the map was written completely; otherwise 0,
// with the reason in *pstrReason, and mapOutput holds nothing. Engine errors
// of the folder lookup pass to the caller.
int bWriteImageMap(const std::string& strGifPath, const CAreaList& list, CPendingOutput& mapOutput,
                   std::string* pstrReason = nullptr);

// The map text: the MAP named strMapName, one AREA line per area in list
// order, CR LF line ends. Every attribute value is escaped for HTML.
std::string MapText(const std::string& strMapName, const CAreaList& list);

// Writes MapText to mapFile (open for writing); the MAP is named strMapName,
// or after mapFile's own name when none is given. Answers 1; write errors
// raise CFileException.
int WriteMapText(CFile& mapFile, const std::string& strMapName, const CAreaList& list);
int WriteMapText(CFile& mapFile, const CAreaList& list);

// text as an HTML attribute value: "&", "\"", "<" and ">" become "&amp;",
// "&quot;", "&lt;" and "&gt;"; a character outside ASCII (UTF-8, or a byte
// read as Windows-1252 where the text is not UTF-8) becomes a numeric
// character reference ("&#252;"), so the map is plain ASCII; so does a
// control character.
std::string HtmlAttributeText(std::string_view text);

// text as a whole attribute value: as it stands when it is made only of
// letters, digits and "-._:/?#%+,;~!$*()@" (every link of an ordinary
// project), otherwise in double quotes with HtmlAttributeText's escapes and
// control characters as character references, so that no value can end its
// attribute or start another.
std::string HtmlAttributeValue(std::string_view text);

// Where the map for the GIF file strGifPath goes: the destination folder for
// "_.map" and MapFileName. Engine errors of the folder lookup pass to the
// caller.
std::string MapPathFor(const std::string& strGifPath);

// The name of the map file for a GIF path: the part after the last separator
// with its last three characters replaced by "map".
std::string MapFileName(const std::string& strGifPath);

}  // namespace vd
