#include "cli/NavigationCommand.h"

#include <cstdio>
#include <exception>

#include "cli/Arguments.h"
#include "cli/Destination.h"

namespace vd::cli {

namespace {

constexpr const char* kStdinDevice = "/dev/stdin";

void ReplaceAll(std::string& strText, const std::string& strFrom, const std::string& strTo) {
    for (std::size_t n = 0; (n = strText.find(strFrom, n)) != std::string::npos;
         n += strTo.size()) {
        strText.replace(n, strFrom.size(), strTo);
    }
}

}  // namespace

int RunNavigationCommand(const CCommand& command, const SNavigationCompiler& compiler,
                         const std::vector<std::string>& args) {
    CArguments parsed;
    std::string strProblem;
    if (!ParseArguments(args, {{"-q", false, "--quiet"}}, parsed, &strProblem)) {
        return UsageError(command, strProblem);
    }
    if (parsed.operands.size() != 2) {
        return UsageError(command, parsed.operands.size() < 2
                                       ? std::string(compiler.pszInputName) + " and DEST are needed"
                                       : "too many arguments");
    }
    const std::string& strInput = parsed.operands[0];
    const std::string strPrefix = DestinationPrefix(parsed.operands[1]);
    // "-" is standard input, read through its device file so that the
    // compilers read it as any file; the messages name it "-" as given.
    const bool bStdin = strInput == "-";
    const std::string strOpened = bStdin ? kStdinDevice : strInput;
    std::string strReason;
    try {
        if (compiler.pfnCompile(strOpened, strPrefix, &strReason) == 1) {
            if (!parsed.Has("-q"))
                std::printf("%s\n", RecordField(strPrefix + compiler.pszOutputName).c_str());
            return kExitSuccess;
        }
    } catch (const std::exception& error) {
        strReason = error.what();
    }
    if (bStdin) ReplaceAll(strReason, QuotePath(kStdinDevice), QuotePath(strInput));
    return Fail(std::string(command.pszName) + ": " +
                (strReason.empty() ? "cannot compile " + QuotePath(strInput) : strReason));
}

}  // namespace vd::cli
