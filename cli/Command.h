// One subcommand of the vellumdesk tool.
#pragma once

#include <string>
#include <vector>

namespace vd::cli {

// Exit codes of the tool.
constexpr int kExitSuccess = 0;
constexpr int kExitFailure = 1;  // the work failed; a one-line reason went to stderr
constexpr int kExitUsage = 2;    // the command line was wrong

struct CCommand {
    const char* pszName;
    const char* pszSummary;  // one line for the tool's --help
    const char* pszUsage;    // "vellumdesk NAME ARGS..."
    const char* pszHelp;     // what the command does, its arguments and outputs
    int (*pfnRun)(const std::vector<std::string>& args);  // args after the name
};

// The subcommands, one per file.
extern const CCommand kContentsCommand;
extern const CCommand kCategoriesCommand;
extern const CCommand kBmp2GifCommand;
extern const CCommand kShgCommand;
extern const CCommand kShgInfoCommand;
extern const CCommand kDumpCommand;
extern const CCommand kDbCommand;

// Prints "vellumdesk: <message>" on stderr and answers kExitFailure.
int Fail(const std::string& strMessage);
// Prints the usage line of a command and a hint on stderr; answers kExitUsage.
int UsageError(const CCommand& command, const std::string& strProblem);

}  // namespace vd::cli
