// Publishing one segmented hypergraphic: the SHG file is read, the source's
// records are made current, the hotspot targets are resolved to page names,
// and the picture (GIF) and its image map are written into the folders the
// project database assigns.
#include "hypergraphics/ShgConversion.h"

#include "hypergraphics/EngineReason.h"

#include <new>
#include <utility>

#include "common/Exceptions.h"
#include "common/File.h"
#include "common/FileSystem.h"
#include "common/MemoryBlock.h"
#include "common/PathQuoting.h"
#include "common/PendingOutput.h"
#include "common/Strings.h"
#include "frame/LibraryState.h"
#include "gif/DibToGif.h"
#include "hypergraphics/AreaList.h"
#include "hypergraphics/EngineReason.h"
#include "hypergraphics/ImageMap.h"
#include "hypergraphics/ShgReader.h"
#include "projectdb/DestinationFolders.h"
#include "projectdb/Engine.h"
#include "projectdb/LinkResolution.h"
#include "projectdb/LinkSink.h"
#include "projectdb/Session.h"

namespace vd {
namespace {

// Only these two spellings of the extension are converted.
bool HasShgExtension(const std::string& strPath) {
    return EndsWith(strPath, ".SHG") || EndsWith(strPath, ".shg");
}

// The GIF file's name: the SHG file's name with its last three characters
// replaced by "gif".
std::string GifFileName(const std::string& strShgPath) {
    std::string strName = FileNamePart(strShgPath);
    strName.resize(strName.size() >= 3 ? strName.size() - 3 : 0);
    return strName + "gif";
}

// Steps after the SHG file is read: positions the source, resolves the links
// and writes both outputs. Engine errors pass to the caller.
int PublishPicture(const std::string& strDatabase, const std::string& strShg,
                   std::int32_t nSourceKey, CMemoryBlock& picture, CAreaList& list,
                   std::string* pstrReason, SShgConversionRequest* pRequest) {
    CEngineRecordset& sources = *g_pSources;
    CEngineRecordset& master = *g_pSourcesStamm;
    sources.SetIndex("IDX");
    if (!sources.Seek({nSourceKey})) {
        SetReason(pstrReason, "the table Sources has no record " + std::to_string(nSourceKey));
        return 0;
    }
    const std::int32_t nMasterKey = sources.GetLong("SourcesStammIdx");
    master.SetIndex("IDX");
    if (!master.Seek({nMasterKey})) {
        SetReason(pstrReason, "the table SourcesStamm has no record " + std::to_string(nMasterKey) +
                                  " (SourcesStammIdx of source " + std::to_string(nSourceKey) +
                                  ")");
        return 0;
    }
    if (!bResolveLinks(list, pRequest != nullptr ? pRequest->pLinks : nullptr)) {
        SetReason(pstrReason, "the hotspot links could not be resolved");
        return 0;
    }
    if (pRequest != nullptr && !pRequest->bWriteOutputs) return 1;

    // The GIF and the map are written under temporary names and replace
    // their final names together, or neither does.
    const std::string strGifPath = GetDestinationFolder("_.gif") + GifFileName(strShg);
    // Neither output may replace an input of this call.
    const std::string strMapPath = MapPathFor(strGifPath);
    for (const std::string* pstrOutput : {&strGifPath, &strMapPath}) {
        for (const auto& [pstrInput, pszKind] : {std::pair{&strShg, "the SHG file"},
                                                 std::pair{&strDatabase, "the project database"}}) {
            if (bSameFile(*pstrInput, *pstrOutput)) {
                SetReason(pstrReason, "cannot replace " + QuotePath(*pstrOutput) + ": it is " +
                                          pszKind + " itself (left untouched)");
                return 0;
            }
        }
    }
    CPendingOutput gifOutput;
    CPendingOutput mapOutput;
    CFile gifFile;
    std::string strCause;
    if (!gifOutput.Create(strGifPath, &strCause) ||
        !gifFile.Open(gifOutput.GetTempPath(), CFile::modeCreateReadWriteExclusive, &strCause)) {
        SetReason(pstrReason, "cannot create " + QuotePath(strGifPath) + ": " + strCause);
        return 0;
    }
    try {
        std::string strRefusal;
        const int bGif = ConvertDibToGif(picture, gifFile, &strRefusal);
        gifFile.Close();
        if (bGif == 0) {
            SetReason(pstrReason, "the picture of " + QuotePath(strShg) +
                                      " cannot be written as GIF: " + strRefusal);
            return 0;
        }
        if (bWriteImageMap(strGifPath, list, mapOutput, pstrReason) == 0) return 0;
    } catch (const CEngineException&) {
        gifFile.Abort();
        throw;
    } catch (const CException& error) {
        gifFile.Abort();
        SetReason(pstrReason, "cannot write " + QuotePath(strGifPath) + ": " + error.what());
        return 0;
    } catch (const std::bad_alloc&) {
        gifFile.Abort();
        SetReason(pstrReason, "cannot write " + QuotePath(strGifPath) + ": out of memory");
        return 0;
    }
    if (!bCommitBoth(gifOutput, mapOutput, &strCause)) {
        SetReason(pstrReason, "cannot replace " + QuotePath(strGifPath) + " and " +
                                  QuotePath(mapOutput.GetFinalPath()) + ": " + strCause);
        return 0;
    }
    if (pRequest != nullptr) {
        pRequest->strGifPath = strGifPath;
        pRequest->strMapPath = mapOutput.GetFinalPath();
    }
    return 1;
}

}  // namespace

int bConvertSHGToGIFMAP(const std::string& strDatabase, const std::string& strShg,
                        std::int32_t nSourceKey, std::string* pstrReason,
                        SShgConversionRequest* pRequest) {
    // The engine's text is shown to the user, or given back in the reason.
    std::string strEngineText;
    std::string* const pstrEngineText =
        pRequest != nullptr && pRequest->bDatabaseErrorInReason ? &strEngineText : nullptr;
    if (g_bDatabaseOpen == 0) {
        int bOpened = 0;
        try {
            bOpened = bOpenProjectDatabase(strDatabase, pstrEngineText);
        } catch (const CEngineException& error) {
            ReportDatabaseError(error, pstrEngineText);
        }
        if (bOpened == 0) {
            const std::string strWhy = EngineReason(strEngineText, strDatabase);
            SetReason(pstrReason, "cannot open " + QuotePath(strDatabase) +
                                      (strWhy.empty() ? "" : ": " + strWhy));
            return 0;
        }
        g_bDatabaseOpen = 1;
    }

    CAreaList list;
    CAreaListOwner areas(list);  // the areas are deleted on every return path
    CMemoryBlock picture;
    {
        CFile shgFile;
        std::string strCause;
        if (!shgFile.Open(strShg, CFile::modeReadShareDenyWrite, &strCause)) {
            SetReason(pstrReason, "cannot open " + QuotePath(strShg) + ": " + strCause);
            return 0;
        }
        if (!HasShgExtension(strShg)) {
            SetReason(pstrReason, "cannot read " + QuotePath(strShg) +
                                      ": the name does not end in .SHG or .shg");
            return 0;
        }
        try {
            std::string strReadReason;
            CShgPictureHeader header;
            picture = ReadSHGFile(shgFile, list, &strReadReason, &header);
            shgFile.Close();
            if (!picture) {
                // A picture read whole but refused for what it holds, or a
                // file that cannot be read.
                const bool bRefused = header.nDistinctColours > 256 || header.IsMetafile();
                SetReason(pstrReason,
                          bRefused ? "cannot publish " + QuotePath(strShg) + ": " + strReadReason
                                   : "cannot read " + QuotePath(strShg) + ": " + strReadReason);
                return 0;
            }
        } catch (const CFileException& error) {
            shgFile.Abort();
            SetReason(pstrReason, "cannot read " + QuotePath(strShg) + ": " + error.what());
            return 0;
        } catch (const CMemoryException&) {
            SetReason(pstrReason, "cannot read " + QuotePath(strShg) + ": out of memory");
            return 0;
        } catch (const std::bad_alloc&) {
            SetReason(pstrReason, "cannot read " + QuotePath(strShg) + ": out of memory");
            return 0;
        }
    }

    try {
        // The source's records, its links and its folders come from one state
        // of the database.
        CReadingScope reading(g_pDatabase.get());
        return PublishPicture(strDatabase, strShg, nSourceKey, picture, list, pstrReason, pRequest);
    } catch (const CEngineException& error) {
        // A missing field or index: the operation fails and the user learns
        // why, as when the session cannot be opened.
        ReportDatabaseError(error, pstrEngineText);
        SetReason(pstrReason, "cannot publish " + QuotePath(strShg) + ": project database: " +
                                  EngineReason(error.GetDescription(), strDatabase));
        return 0;
    } catch (const std::bad_alloc&) {
        SetReason(pstrReason, "cannot publish " + QuotePath(strShg) + ": out of memory");
        return 0;
    }
}

}  // namespace vd
