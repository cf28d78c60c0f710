#include "cli/Command.h"

namespace vd::cli {

static int Run(const std::vector<std::string>& /*args*/) {
    return Fail("bmp2gif: not available yet");
}

const CCommand kBmp2GifCommand = {
    "bmp2gif",
    "convert a BMP/DIB bitmap into a GIF",
    "vellumdesk bmp2gif BITMAP DEST",
    "Converts BITMAP into DEST + its name with the extension gif.\n",
    Run,
};

}  // namespace vd::cli
