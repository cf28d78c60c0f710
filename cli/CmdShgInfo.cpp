#include <cinttypes>
#include <cstdio>
#include <string>

#include "cli/Command.h"
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

static const char* TypeName(std::int32_t nType) {
    switch (nType) {
        case AREA_POPUP:
            return "popup";
        case AREA_JUMP:
            return "jump";
        case AREA_MACRO:
            return "macro";
        default:
            return "unknown";
    }
}

// The text in double quotes, with quotes, backslashes and control characters
// escaped so that every hotspot stays on its line.
static std::string Quoted(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        const auto nByte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (nByte < 0x20 || nByte == 0x7F) {
            char szEscape[8];
            std::snprintf(szEscape, sizeof szEscape, "\\x%02X", unsigned{nByte});
            out += szEscape;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

static int Run(const std::vector<std::string>& args) {
    if (args.size() != 1) {
        return UsageError(kShgInfoCommand, args.empty() ? "missing FILE" : "too many arguments");
    }
    const std::string& strPath = args[0];
    CFile file;
    std::string strCause;
    if (!file.Open(strPath, CFile::modeReadShareDenyWrite, &strCause)) {
        return Fail("shg-info: cannot open " + strPath + ": " + strCause);
    }
    CAreaList list;
    CAreaListOwner owner(list);
    CShgPictureHeader header;
    std::string strReason;
    try {
        CMemoryBlock block = ReadSHGFile(file, list, &strReason, &header);
        if (!block) return Fail("shg-info: " + strPath + ": " + strReason);
    } catch (const CException& e) {
        return Fail("shg-info: " + std::string(e.what()));
    }

    std::printf("picture: %" PRIu32 " x %" PRIu32 " pixels, %u bit%s per pixel, %" PRIu32
                " colours, packing %u (%s)\n",
                header.nWidth, header.nHeight, unsigned{header.nBitCount},
                header.nBitCount == 1 ? "" : "s", header.nColourCount, unsigned{header.nPacking},
                PackingName(header.nPacking));
    std::printf("hotspots: %zu\n", list.GetCount());
    for (const CArea* pArea : list) {
        std::printf("%s %s %" PRId32 ",%" PRId32 ",%" PRId32 ",%" PRId32 " name %s target %s\n",
                    TypeName(pArea->m_nType), pArea->m_bVisible ? "visible" : "invisible",
                    pArea->m_rect.left, pArea->m_rect.top, pArea->m_rect.right,
                    pArea->m_rect.bottom, Quoted(pArea->m_strName).c_str(),
                    Quoted(pArea->m_strTarget).c_str());
    }
    return kExitSuccess;
}

const CCommand kShgInfoCommand = {
    "shg-info",
    "show the picture and hotspots of an SHG file",
    "vellumdesk shg-info FILE",
    "Reads the hypergraphic FILE (an SHG or MRB file) and prints its picture:\n"
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
    "escaped. Pictures of 1, 4 and 8 bits per pixel can be read; any other file\n"
    "fails with the reason.\n",
    Run,
};

}  // namespace vd::cli
