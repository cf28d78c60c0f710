#include "gif/BmpConversion.h"

#include <exception>

#include "common/Exceptions.h"
#include "common/File.h"
#include "common/Strings.h"
#include "gif/DibToGif.h"
#include "gif/PackedDib.h"

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
        SetReason(pstrReason, "cannot open '" + strSource + "': " + strCause);
        return 0;
    }

    CMemoryBlock hDib;
    try {
        if (HasBitmapExtension(strSource)) hDib = LoadPackedDib(source);
        source.Close();
    } catch (const CException& e) {
        source.Abort();
        SetReason(pstrReason, "cannot read '" + strSource + "': " + e.what());
        return 0;
    }
    if (!HasBitmapExtension(strSource)) {
        SetReason(pstrReason,
                  "'" + strSource + "': the name does not end in .BMP, .bmp, .DIB or .dib");
        return 0;
    }
    if (!hDib) {
        SetReason(pstrReason, "'" + strSource + "': not a bitmap file");
        return 0;
    }

    const std::string strTarget = GifNameForBitmap(strSource, strDestination);
    CFile target;
    if (!target.Open(strTarget, CFile::modeCreateReadWriteExclusive, &strCause)) {
        SetReason(pstrReason, "cannot create '" + strTarget + "': " + strCause);
        return 0;
    }

    int nResult = 0;
    std::string strRefusal;
    try {
        nResult = ConvertDibToGif(hDib, target, &strRefusal);
        target.Close();
    } catch (const std::exception& e) {
        // File and memory errors; the part written so far stays in place.
        target.Abort();
        SetReason(pstrReason, "cannot write '" + strTarget + "': " + e.what());
        return 0;
    }
    if (nResult != 1) {
        SetReason(pstrReason, "'" + strSource + "': " + strRefusal);
        return 0;
    }
    return 1;
}

}  // namespace vd
