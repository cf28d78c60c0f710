// One subcommand of the vellumdesk tool, and the tool's one error format.
#pragma once

#include <string>
#include <vector>

#include "common/PathQuoting.h"

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
extern const CCommand kLinksCommand;
extern const CCommand kShgInfoCommand;
extern const CCommand kDumpCommand;
extern const CCommand kDbCommand;

// Error lines read "vellumdesk: COMMAND: cannot VERB 'PATH': why", in lower
// case without a final period. strMessage starts with the command's name
// ("shg: cannot open 'a.shg': No such file or directory").
// Prints the line on stderr and answers kExitFailure.
int Fail(const std::string& strMessage);
// Prints "vellumdesk: COMMAND: warning: TEXT" on stderr.
void Warn(const CCommand& command, const std::string& strText);
// Prints "vellumdesk: COMMAND: PROBLEM" and "Try 'vellumdesk COMMAND --help'."
// on stderr; answers kExitUsage.
int UsageError(const CCommand& command, const std::string& strProblem);
using vd::QuotePath;
using vd::RecordField;
// strReason in the one error form: unchanged when it reads "cannot VERB
// 'PATH': ..." already, else with "cannot VERB 'PATH': " in front.
std::string ReasonNaming(const char* pszVerb, const std::string& strPath,
                         const std::string& strReason);

}  // namespace vd::cli
