#include <cinttypes>
#include <cstdio>
#include <string>

#include "cli/Arguments.h"
#include "cli/Command.h"
#include "cli/LinkReport.h"
#include "cli/Quoting.h"
#include "common/Exceptions.h"
#include "common/File.h"
#include "hypergraphics/AreaList.h"
#include "hypergraphics/ShgReader.h"

namespace vd::cli {

static const char* PackingName(std::uint8_t nPacking) {
    switch (nPacking) {
        case 0:
            return "stored";
        case 1:
            return "run-length";
        case 2:
            return "LZ77";
        case 3:
            return "LZ77 and run-length";
        default:
            return "unknown";
    }
}

static void PrintPicture(const CShgPictureHeader& header, bool bDecoded) {
    std::printf("picture: %" PRIu32 " x %" PRIu32 " pixels, %u bit%s per pixel, ", header.nWidth,
                header.nHeight, unsigned{header.nBitCount}, header.nBitCount == 1 ? "" : "s");
    if (bDecoded) {
        std::printf("%" PRIu32 " colours, ", header.nColourCount);
    } else {
        std::printf("%" PRIu32 " colours used, ", header.nColoursUsed);
    }
    std::printf("packing %u (%s)\n", unsigned{header.nPacking}, PackingName(header.nPacking));
}

static void PrintHotspots(const CAreaList& list) {
    std::printf("hotspots: %zu\n", list.GetCount());
    for (const CArea* pArea : list) {
        std::printf("%s %s %" PRId32 ",%" PRId32 ",%" PRId32 ",%" PRId32 " name %s target %s\n",
                    HotspotKindName(pArea->m_nType), pArea->m_bVisible ? "visible" : "invisible",
                    pArea->m_rect.left, pArea->m_rect.top, pArea->m_rect.right,
                    pArea->m_rect.bottom, Quoted(pArea->m_strName).c_str(),
                    Quoted(pArea->m_strTarget).c_str());
    }
}

// Shows one file; answers whether it could be published.
static bool ShowFile(const std::string& strPath) {
    CFile file;
    std::string strCause;
    if (!file.Open(strPath, CFile::modeReadShareDenyWrite, &strCause)) {
        Fail("shg-info: cannot open " + QuotePath(strPath) + ": " + strCause);
        return false;
    }
    CAreaList list;
    CAreaListOwner owner(list);
    CShgPictureHeader header;
    std::string strReason;
    try {
        CMemoryBlock block = ReadSHGFile(file, list, &strReason, &header);
        if (block) {
            PrintPicture(header, true);
            PrintHotspots(list);
            return true;
        }
        // A picture whose header was read but whose pixels cannot be
        // published (24 bits per pixel, for one): its header and hotspots
        // are still shown, then why it cannot be published.
        if (header.nWidth == 0 && header.nHeight == 0 && header.nBitCount == 0) {
            Fail("shg-info: " + ReasonNaming("read", strPath, strReason));
            return false;
        }
        PrintPicture(header, false);
        owner.DeleteAll();
        std::string strHotspotReason;
        if (bReadSHGHotspots(file, header, list, &strHotspotReason)) {
            PrintHotspots(list);
        } else {
            std::printf("hotspots: cannot be read: %s\n", strHotspotReason.c_str());
        }
    } catch (const CException& e) {
        Fail("shg-info: cannot read " + QuotePath(strPath) + ": " + e.what());
        return false;
    }
    std::fflush(stdout);
    Fail("shg-info: cannot publish " + QuotePath(strPath) + ": " + strReason);
    return false;
}

static int Run(const std::vector<std::string>& args) {
    CArguments parsed;
    std::string strProblem;
    if (!ParseArguments(args, {}, parsed, &strProblem)) {
        return UsageError(kShgInfoCommand, strProblem);
    }
    if (parsed.operands.empty()) return UsageError(kShgInfoCommand, "FILE is needed");
    bool bAllPublishable = true;
    for (const std::string& strPath : parsed.operands) {
        if (parsed.operands.size() > 1) std::printf("%s:\n", strPath.c_str());
        if (!ShowFile(strPath)) bAllPublishable = false;
        std::fflush(stdout);
    }
    return bAllPublishable ? kExitSuccess : kExitFailure;
}

const CCommand kShgInfoCommand = {
    "shg-info",
    "show the picture and hotspots of SHG files",
    "vellumdesk shg-info FILE...",
    "Reads each hypergraphic FILE (an SHG or MRB file) and prints its picture\n"
    "(after a line \"FILE:\" when there are several):\n"
    "\n"
    "  picture: WIDTH x HEIGHT pixels, BITS bits per pixel, N colours, packing P (NAME)\n"
    "  hotspots: COUNT\n"
    "\n"
    "then one line per hotspot, in file order:\n"
    "\n"
    "  TYPE VISIBILITY LEFT,TOP,RIGHT,BOTTOM name \"NAME\" target \"TARGET\"\n"
    "\n"
    "TYPE is popup, jump or macro; VISIBILITY is visible or invisible; the\n"
    "rectangle is in picture pixels, RIGHT and BOTTOM one past the hotspot.\n"
    "Quotes, backslashes and control characters in names and targets are\n"
    "escaped, as are bytes that are not UTF-8.\n"
    "\n"
    "Pictures of 1, 4 and 8 bits per pixel can be published. For a picture that\n"
    "cannot (24 bits per pixel, for one) the header and the hotspots are shown\n"
    "as far as they can be read, and an error line says why it cannot be\n"
    "published. Exit status 1 when any FILE cannot be read or published.\n",
    Run,
};

}  // namespace vd::cli
