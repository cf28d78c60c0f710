#include "projectdb/DestinationFolders.h"

#include "common/Folder.h"
#include "common/Strings.h"
#include "frame/LibraryState.h"
#include "projectdb/Engine.h"

namespace vd {
namespace {

#ifdef _WIN32
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif

// A subfolder as stored in the database made relative and closed by a
// separator: one leading separator is dropped, a trailing one is added when
// the value does not end in one. Databases written on Windows store
// backslashes ("maps\\"); where "/" is the separator they are turned into
// it, so the folder is made and used as a folder, not as a file name that
// happens to contain a backslash.
std::string NormaliseSubfolder(std::string strDir) {
#ifndef _WIN32
    for (char& c : strDir) {
        if (c == '\\') c = kSeparator;
    }
#endif
    if (!strDir.empty() && IsPathSeparator(strDir.front())) strDir.erase(0, 1);
    if (strDir.empty() || !IsPathSeparator(strDir.back())) strDir += kSeparator;
    return strDir;
}

}  // namespace

std::string GetDestinationFolder(const std::string& strFileName) {
    CEngineRecordset& sources = *g_pSources;
    CEngineRecordset& master = *g_pSourcesStamm;
    CEngineRecordset& dirs = *g_pDirectoryList;

    const std::string strRoot = master.GetText("DestinationPath");
    dirs.SetIndex("IDXDESTINATIONIDX");
    if (dirs.Seek({sources.GetLong("DirectoryListIdx"), master.GetLong("Destination")}) &&
        !dirs.IsEOF()) {
        for (;;) {
            // The group is exhausted at the first row of another group or
            // destination.
            if (dirs.GetLong("Idx") != sources.GetLong("DirectoryListIdx") ||
                dirs.GetLong("DestinationIdx") != master.GetLong("Destination")) {
                break;
            }
            std::string strMask = dirs.GetText("FileMask");
            // "*.htm" and "*.html" both take in the two page extensions.
            if (bMatchFileMask(strMask, "*.htm*") == 1) strMask = "*.htm*";
            if (bMatchFileMask(strFileName, strMask) == 1) {
                const std::string strFolder =
                    strRoot + NormaliseSubfolder(dirs.GetText("Directory"));
                // The outcome is not needed: an existing folder is fine, and a
                // folder that could not be made shows when the output file
                // cannot be created in it.
                (void)CreateOneFolder(strFolder);
                return strFolder;
            }
            dirs.MoveNext();
            if (dirs.IsEOF()) break;
        }
    }
    (void)CreateOneFolder(strRoot);
    return strRoot;
}

int bMatchFileMask(std::string_view text, std::string_view mask) {
    std::size_t nText = 0;
    std::size_t nMask = 0;
    bool bStar = false;
    for (;;) {
        const bool bTextEnd = nText >= text.size();
        const bool bMaskEnd = nMask >= mask.size();
        if (bTextEnd && bMaskEnd) return 1;
        if (!bMaskEnd && mask[nMask] == '*') {
            ++nMask;
            bStar = true;
        } else if (!bMaskEnd && mask[nMask] == '?') {
            if (bTextEnd) return 0;  // nothing left for the "?" to stand for
            ++nMask;
            ++nText;
        } else if (!bMaskEnd && !bTextEnd && mask[nMask] == text[nText]) {
            ++nMask;
            ++nText;
            bStar = false;
        } else {
            // Mismatch: only a pending "*" can take the text character.
            if (!bStar || bTextEnd) return 0;
            ++nText;
        }
    }
}

}  // namespace vd
