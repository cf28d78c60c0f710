#include "hypergraphics/ImageMap.h"

#include <new>

#include "common/Exceptions.h"
#include "common/Strings.h"
#include "hypergraphics/AreaList.h"
#include "projectdb/DestinationFolders.h"

namespace vd {

std::string MapFileName(const std::string& strGifPath) {
    std::string strName = FileNamePart(strGifPath);
    strName.resize(strName.size() >= 3 ? strName.size() - 3 : 0);
    return strName + "map";
}

int WriteMapText(CFile& mapFile, const CAreaList& list) {
    auto writeLine = [&](const std::string& strLine) {
        mapFile.Write(strLine.data(), strLine.size());
    };
    writeLine("<MAP NAME=\"" + mapFile.GetFileName() + "\">\r\n");
    for (const CArea* pArea : list) {
        const CRect& rc = pArea->m_rect;
        writeLine("<AREA SHAPE=RECT COORDS=\"" + std::to_string(rc.left) + "," +
                  std::to_string(rc.top) + "," + std::to_string(rc.right) + "," +
                  std::to_string(rc.bottom) + "\" HREF=" + pArea->m_strTarget + ">\r\n");
    }
    writeLine("</MAP>\r\n");
    return 1;
}

int bWriteImageMap(CFile& gifFile, const CAreaList& list, std::string* pstrReason) {
    const std::string strPath = GetDestinationFolder("_.map") + MapFileName(gifFile.GetFilePath());
    CFile mapFile;
    std::string strCause;
    if (!mapFile.Open(strPath, CFile::modeCreateReadWriteExclusive, &strCause)) {
        SetReason(pstrReason, "cannot create the image map '" + strPath + "': " + strCause);
        return 0;
    }
    try {
        WriteMapText(mapFile, list);
        mapFile.Close();
        return 1;
    } catch (const CFileException& error) {
        SetReason(pstrReason, "cannot write the image map '" + strPath + "': " + error.what());
    } catch (const CMemoryException&) {
        SetReason(pstrReason, "out of memory while writing the image map '" + strPath + "'");
    } catch (const std::bad_alloc&) {
        SetReason(pstrReason, "out of memory while writing the image map '" + strPath + "'");
    }
    // The map keeps what was written; the picture is given up with it.
    gifFile.Abort();
    return 0;
}

}  // namespace vd
