#include "cli/NavigationCommand.h"

#include <cstdio>
#include <exception>

#include "cli/Arguments.h"
#include "cli/Destination.h"

namespace vd::cli {

int RunNavigationCommand(const CCommand& command, const SNavigationCompiler& compiler,
                         const std::vector<std::string>& args) {
    CArguments parsed;
    std::string strProblem;
    if (!ParseArguments(args, {{"-q", false}}, parsed, &strProblem)) {
        return UsageError(command, strProblem);
    }
    if (parsed.operands.size() != 2) {
        return UsageError(command, parsed.operands.size() < 2
                                       ? std::string(compiler.pszInputName) + " and DEST are needed"
                                       : "too many arguments");
    }
    const std::string& strInput = parsed.operands[0];
    const std::string strPrefix = DestinationPrefix(parsed.operands[1]);
    std::string strReason;
    try {
        if (compiler.pfnCompile(strInput, strPrefix, &strReason) == 1) {
            if (!parsed.Has("-q")) std::printf("%s%s\n", strPrefix.c_str(), compiler.pszOutputName);
            return kExitSuccess;
        }
    } catch (const std::exception& error) {
        strReason = error.what();
    }
    return Fail(std::string(command.pszName) + ": " +
                (strReason.empty() ? QuotePath(strInput) + ": not compiled" : strReason));
}

}  // namespace vd::cli
