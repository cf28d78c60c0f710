// The contents and categories commands: one text file compiled into one
// navigation file in a destination folder.
#pragma once

#include <string>
#include <vector>

#include "cli/Command.h"

namespace vd::cli {

struct SNavigationCompiler {
    const char* pszInputName;   // "OUTLINE", "LIST"
    const char* pszOutputName;  // "inhalt.bin", "kategorien.bin"
    int (*pfnCompile)(const std::string& strInput, const std::string& strPrefix,
                      std::string* pstrReason);
};

// Runs "COMMAND [-q] INPUT DEST": compiles INPUT into DEST + the output name
// and prints the path written unless -q.
int RunNavigationCommand(const CCommand& command, const SNavigationCompiler& compiler,
                         const std::vector<std::string>& args);

}  // namespace vd::cli
