#include <string>

#include "cli/Command.h"
#include "gif/BmpConversion.h"

namespace vd::cli {

static int Run(const std::vector<std::string>& args) {
    if (args.size() != 2) {
        return UsageError(kBmp2GifCommand,
                          args.size() < 2 ? "missing arguments" : "too many arguments");
    }
    std::string strReason;
    if (vd::bConvertBmpToGif(args[0], args[1], &strReason) != 1) {
        return Fail("bmp2gif: " + strReason);
    }
    return kExitSuccess;
}

const CCommand kBmp2GifCommand = {
    "bmp2gif",
    "convert a BMP/DIB bitmap into a GIF",
    "vellumdesk bmp2gif BITMAP DEST",
    "Converts BITMAP into DEST + its name with the extension gif.\n"
    "\n"
    "  BITMAP  a bitmap file whose name ends in .BMP, .bmp, .DIB or .dib, of\n"
    "          1, 4 or 8 bits per pixel with a 40-byte information header\n"
    "          (plain or run-length rows).\n"
    "  DEST    the destination folder, joined unchanged in front of the GIF's\n"
    "          name, so it ends in a separator: out/ gives out/NAME.gif.\n"
    "\n"
    "The GIF keeps the bitmap's colour table and pixel indices. A bitmap that\n"
    "cannot be converted (24 bits per pixel, for example) leaves an empty GIF.\n",
    Run,
};

}  // namespace vd::cli
