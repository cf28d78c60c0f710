#include "hypergraphics/ImageMap.h"

#include <algorithm>
#include <cstdint>
#include <new>

#include "common/Exceptions.h"
#include "common/PathQuoting.h"
#include "common/Strings.h"
#include "common/TextEncoding.h"
#include "hypergraphics/AreaList.h"
#include "projectdb/DestinationFolders.h"

namespace vd {

std::string MapFileName(const std::string& strGifPath) {
    std::string strName = FileNamePart(strGifPath);
    strName.resize(strName.size() >= 3 ? strName.size() - 3 : 0);
    return strName + "map";
}

std::string HtmlAttributeText(std::string_view text) {
    std::string strOut;
    strOut.reserve(text.size());
    for (std::size_t nPos = 0; nPos < text.size();) {
        const char c = text[nPos];
        if (static_cast<unsigned char>(c) >= 0x80) {
            // Outside ASCII: a numeric character reference, so that the map
            // reads the same in a page of any encoding.
            strOut +=
                "&#" + std::to_string(static_cast<std::uint32_t>(NextCharacter(text, nPos))) + ";";
            continue;
        }
        ++nPos;
        if (static_cast<unsigned char>(c) < 0x20) {
            // A tab or line break would split the AREA line.
            strOut += "&#" + std::to_string(static_cast<unsigned>(c)) + ";";
            continue;
        }
        switch (c) {
            case '&':
                strOut += "&amp;";
                break;
            case '"':
                strOut += "&quot;";
                break;
            case '<':
                strOut += "&lt;";
                break;
            case '>':
                strOut += "&gt;";
                break;
            default:
                strOut += c;
        }
    }
    return strOut;
}

std::string HtmlAttributeValue(std::string_view text) {
    constexpr std::string_view kPlain = "-._:/?#%+,;~!$*()@";
    const bool bPlain = !text.empty() && std::all_of(text.begin(), text.end(), [&](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               kPlain.find(c) != std::string_view::npos;
    });
    if (bPlain) return std::string(text);
    std::string strValue = "\"";
    strValue += HtmlAttributeText(text);
    strValue += '"';
    return strValue;
}

std::string MapText(const std::string& strMapName, const CAreaList& list) {
    std::string strText = "<MAP NAME=\"" + HtmlAttributeText(strMapName) + "\">\r\n";
    for (const CArea* pArea : list) {
        const CRect& rc = pArea->m_rect;
        strText += "<AREA SHAPE=RECT COORDS=\"" + std::to_string(rc.left) + "," +
                   std::to_string(rc.top) + "," + std::to_string(rc.right) + "," +
                   std::to_string(rc.bottom) + "\" HREF=" + HtmlAttributeValue(pArea->m_strTarget) +
                   ">\r\n";
    }
    strText += "</MAP>\r\n";
    return strText;
}

int WriteMapText(CFile& mapFile, const std::string& strMapName, const CAreaList& list) {
    const std::string strText = MapText(strMapName, list);
    mapFile.Write(strText.data(), strText.size());
    return 1;
}

int WriteMapText(CFile& mapFile, const CAreaList& list) {
    return WriteMapText(mapFile, mapFile.GetFileName(), list);
}

std::string MapPathFor(const std::string& strGifPath) {
    return GetDestinationFolder("_.map") + MapFileName(strGifPath);
}

int bWriteImageMap(const std::string& strGifPath, const CAreaList& list, CPendingOutput& mapOutput,
                   std::string* pstrReason) {
    const std::string strName = MapFileName(strGifPath);
    const std::string strPath = MapPathFor(strGifPath);
    CFile mapFile;
    std::string strCause;
    if (!mapOutput.Create(strPath, &strCause) ||
        !mapFile.Open(mapOutput.GetTempPath(), CFile::modeCreateReadWriteExclusive, &strCause)) {
        mapOutput.Discard();
        SetReason(pstrReason, "cannot create " + QuotePath(strPath) + ": " + strCause);
        return 0;
    }
    try {
        WriteMapText(mapFile, strName, list);
        mapFile.Close();
        return 1;
    } catch (const CFileException& error) {
        SetReason(pstrReason, "cannot write " + QuotePath(strPath) + ": " + error.what());
    } catch (const CMemoryException&) {
        SetReason(pstrReason, "cannot write " + QuotePath(strPath) + ": out of memory");
    } catch (const std::bad_alloc&) {
        SetReason(pstrReason, "cannot write " + QuotePath(strPath) + ": out of memory");
    }
    mapFile.Abort();
    mapOutput.Discard();
    return 0;
}

}  // namespace vd
