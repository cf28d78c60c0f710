#include <cinttypes>
#include <cstdio>
#include <string>

#include "cli/Arguments.h"
#include "cli/Command.h"
#include "cli/LinkReport.h"
#include "cli/Quoting.h"
#include "common/Exceptions.h"
#include "common/File.h"
#include "gif/ColourTable.h"
#include "gif/DibLayout.h"
#include "gif/TrueColourGif.h"
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

// What the packed DIB that the reader made holds: its size, depth and
// colours (a true-colour picture's colours are counted, up to 257). Answers
// whether a GIF can be made of it, with *pstrReason when not.
static std::string DescribeBitmap(CMemoryBlock& block, bool& bPublishable,
                                  std::string* pstrReason) {
    CMemoryLock lock(block);
    CDibLayout layout;
    bPublishable = ReadDibLayout(lock.Data(), lock.Size(), layout, pstrReason);
    if (!bPublishable) return "a bitmap that cannot be read";
    std::string strText = std::to_string(layout.nWidth) + " x " + std::to_string(layout.nHeight) +
                          " pixels, " + std::to_string(layout.nDepth) + " bit" +
                          (layout.nDepth == 1 ? "" : "s") + " per pixel, ";
    if (!layout.bTrueColour) return strText + std::to_string(layout.nColours) + " colours";
    CMemoryRows rows(lock.Data() + layout.nRowsOffset, static_cast<std::uint32_t>(layout.nStride));
    CColourTable table;
    const std::uint32_t nColours = CountColours(layout, rows, table);
    if (nColours > kMaxGifColours) {
        bPublishable = false;
        *pstrReason = TooManyColoursReason();
        return strText + "more than " + std::to_string(kMaxGifColours) + " distinct colours";
    }
    return strText + std::to_string(nColours) + " distinct colour" + (nColours == 1 ? "" : "s");
}

static void PrintPicture(const CShgPictureHeader& header, bool bDecoded) {
    if (header.IsMetafile()) {
        std::printf("picture: metafile, %" PRIu32 " x %" PRIu32 " units, mapping mode %u, ",
                    header.nWidth, header.nHeight, unsigned{header.nMappingMode});
    } else {
        std::printf("picture: %" PRIu32 " x %" PRIu32 " pixels, %u bit%s per pixel, ",
                    header.nWidth, header.nHeight, unsigned{header.nBitCount},
                    header.nBitCount == 1 ? "" : "s");
        if (header.nDistinctColours > kMaxGifColours) {
            std::printf("more than %" PRIu32 " distinct colours, ", kMaxGifColours);
        } else if (header.nBitCount > 8 && bDecoded) {
            std::printf("%" PRIu32 " distinct colour%s, ", header.nDistinctColours,
                        header.nDistinctColours == 1 ? "" : "s");
        } else if (bDecoded) {
            std::printf("%" PRIu32 " colours, ", header.nColourCount);
        } else {
            std::printf("%" PRIu32 " colours used, ", header.nColoursUsed);
        }
    }
    std::printf("packing %u (%s)\n", unsigned{header.nPacking}, PackingName(header.nPacking));
    if (header.IsMetafile() && !header.strMetafileRecords.empty()) {
        std::printf("metafile records: %s\n", header.strMetafileRecords.c_str());
    }
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
            // A metafile's bitmap is described as the GIF would be made of
            // it.
            bool bPublishable = true;
            PrintPicture(header, true);
            if (header.IsMetafile()) {
                std::printf("bitmap: %s\n",
                            DescribeBitmap(block, bPublishable, &strReason).c_str());
            }
            PrintHotspots(list);
            if (bPublishable) return true;
            std::fflush(stdout);
            Fail("shg-info: cannot publish " + QuotePath(strPath) + ": " + strReason);
            return false;
        }
        // A picture whose header was read but whose pixels cannot be
        // published (a metafile that draws more than a bitmap, for one): its
        // header and hotspots are still shown, then why it cannot be
        // published.
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
    "A true-colour picture (24 or 32 bits per pixel) shows its distinct colours\n"
    "instead, counted up to 257:\n"
    "\n"
    "  picture: WIDTH x HEIGHT pixels, BITS bits per pixel, N distinct colours, packing P (NAME)\n"
    "\n"
    "A metafile picture shows its size in its own units, its records by kind\n"
    "and, when it holds only one bitmap, that bitmap (hotspots in its pixels):\n"
    "\n"
    "  picture: metafile, WIDTH x HEIGHT units, mapping mode M, packing P (NAME)\n"
    "  metafile records: COUNT KIND, ...\n"
    "  bitmap: WIDTH x HEIGHT pixels, BITS bits per pixel, N colours\n"
    "\n"
    "Pictures of 1, 4 and 8 bits per pixel, true-colour pictures of at most 256\n"
    "colours and metafiles that hold only one bitmap can be published. For a\n"
    "picture that cannot (more than 256 colours, or a metafile that draws\n"
    "something else) the header and the hotspots are shown as far as they can\n"
    "be read, and an error line says why it cannot be published. Exit status 1\n"
    "when any FILE cannot be read or published.\n",
    Run,
};

}  // namespace vd::cli
