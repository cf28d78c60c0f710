// The destination argument of bmp2gif, contents and categories.
#pragma once

#include <string>

namespace vd::cli {

// The library joins a destination to file names as it stands. A destination
// that names an existing folder but lacks its trailing separator would put
// the outputs beside the folder ("out" + "logo.gif"); the tool means the
// folder and adds the separator. Anything else is answered unchanged.
std::string DestinationPrefix(const std::string& strDestination);

}  // namespace vd::cli
