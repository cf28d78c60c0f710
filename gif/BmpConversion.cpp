#include "gif/BmpConversion.h"

#include <exception>

#include "common/File.h"
#include "common/FileSystem.h"
#include "common/PathQuoting.h"
#include "common/PendingOutput.h"
#include "common/Strings.h"
#include "gif/BitmapFile.h"

namespace vd {

namespace {

// The four extensions of a bitmap file, compared exactly.
bool HasBitmapExtension(const std::string& strPath) {
    for (const char* pszExtension : {".BMP", ".bmp", ".DIB", ".dib"}) {
        if (EndsWith(strPath, pszExtension)) return true;
    }
    return false;
}

}  // namespace

std::string GifNameForBitmap(const std::string& strSource, const std::string& strDestination) {
    std::string strName = FileNamePart(strSource);
    strName.resize(strName.size() - (strName.size() < 3 ? strName.size() : 3));
    return strDestination + strName + "gif";
}

int bConvertBmpToGif(const std::string& strSource, const std::string& strDestination,
                     std::string* pstrReason) {
    CFile source;
    std::string strCause;
    if (!source.Open(strSource, CFile::modeReadShareDenyWrite, &strCause)) {
        SetReason(pstrReason, "cannot open " + QuotePath(strSource) + ": " + strCause);
        return 0;
    }

    // The source stays open while the GIF is written: plain rows are read
    // from it as they are needed.
    CBitmapFile bitmap;
    bool bLoaded = false;
    try {
        if (HasBitmapExtension(strSource)) bLoaded = bitmap.Load(source);
    } catch (const std::exception& e) {
        // File errors, and memory errors (std::bad_alloc) alike.
        source.Abort();
        SetReason(pstrReason, "cannot read " + QuotePath(strSource) + ": " + e.what());
        return 0;
    }
    if (!HasBitmapExtension(strSource)) {
        SetReason(pstrReason, "cannot convert " + QuotePath(strSource) +
                                  ": the name does not end in .BMP, .bmp, .DIB or .dib");
        return 0;
    }
    if (!bLoaded) {
        SetReason(pstrReason, "cannot convert " + QuotePath(strSource) + ": not a bitmap file");
        return 0;
    }

    const std::string strTarget = GifNameForBitmap(strSource, strDestination);
    if (bSameFile(strSource, strTarget)) {
        SetReason(pstrReason, "cannot replace " + QuotePath(strTarget) +
                                  ": it is the bitmap itself (left untouched)");
        return 0;
    }
    // The GIF is written under a temporary name and replaces strTarget only
    // when complete; on every failure the temporary goes and an earlier GIF
    // stays as it was.
    CPendingOutput output;
    CFile target;
    if (!output.Create(strTarget, &strCause) ||
        !target.Open(output.GetTempPath(), CFile::modeCreateReadWriteExclusive, &strCause)) {
        SetReason(pstrReason, "cannot create " + QuotePath(strTarget) + ": " + strCause);
        return 0;
    }

    int nResult = 0;
    std::string strRefusal;
    try {
        nResult = bitmap.ConvertToGif(target, &strRefusal);
        target.Close();
    } catch (const std::exception& e) {
        // File and memory errors, reading the rows included; the temporary
        // goes with `output`.
        target.Abort();
        SetReason(pstrReason, "cannot write " + QuotePath(strTarget) + ": " + e.what());
        return 0;
    }
    if (nResult != 1) {
        SetReason(pstrReason, "cannot convert " + QuotePath(strSource) + ": " + strRefusal);
        return 0;
    }
    if (!output.Commit(&strCause)) {
        SetReason(pstrReason, "cannot replace " + QuotePath(strTarget) + ": " + strCause);
        return 0;
    }
    return 1;
}

}  // namespace vd
