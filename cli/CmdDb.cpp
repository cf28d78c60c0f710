#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "cli/Arguments.h"
#include "cli/Command.h"
#include "cli/DbConvert.h"
#include "projectdb/Engine.h"
#include "projectdb/ProjectCheck.h"
#include "projectdb/ProjectSchema.h"

namespace vd::cli {

extern const CCommand kDbCommand;

static bool ReadWholeFile(const std::string& strPath, std::string& strText) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(strPath.c_str(), "rb"),
                                                         std::fclose);
    if (!file) return false;
    char buffer[65536];
    std::size_t nRead;
    while ((nRead = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) {
        strText.append(buffer, nRead);
    }
    return std::ferror(file.get()) == 0;
}

static int RunInit(const std::vector<std::string>& args) {
    if (args.empty()) return UsageError(kDbCommand, "init needs FILE");
    std::vector<std::string> sqlTexts;
    for (std::size_t i = 1; i < args.size(); ++i) {
        std::string strText;
        errno = 0;
        if (!ReadWholeFile(args[i], strText)) {
            return Fail("db init: cannot read " + QuotePath(args[i]) + ": " +
                        std::strerror(errno != 0 ? errno : EIO));
        }
        sqlTexts.push_back(std::move(strText));
    }
    std::string strReason;
    if (!CreateProjectDatabase(args[0], sqlTexts, &strReason)) {
        // "SQL text N: why" names the file the text came from.
        constexpr const char* kSqlText = "SQL text ";
        std::size_t nText = 0;
        std::size_t nColon = strReason.find(": ");
        if (strReason.rfind(kSqlText, 0) == 0 && nColon != std::string::npos &&
            std::sscanf(strReason.c_str() + std::strlen(kSqlText), "%zu", &nText) == 1 &&
            nText >= 1 && nText < args.size()) {
            strReason = "cannot run " + QuotePath(args[nText]) + strReason.substr(nColon);
        }
        return Fail("db init: " + strReason);
    }
    return kExitSuccess;
}

static int RunCheck(const std::vector<std::string>& args) {
    if (args.size() != 1) return UsageError(kDbCommand, "check needs exactly one FILE");
    const CCheckResult result = CheckProjectDatabase(args[0]);
    ShutdownEngine();
    for (const std::string& strLine : result.lines) std::printf("%s\n", strLine.c_str());
    std::fflush(stdout);
    if (result.nProblems > 0) {
        return Fail("db check: cannot use " + QuotePath(args[0]) + ": " +
                    std::to_string(result.nProblems) +
                    (result.nProblems == 1 ? " problem" : " problems"));
    }
    if (result.nWarnings > 0) {
        std::printf("'%s' holds everything the library reads, with %d warning%s.\n",
                    args[0].c_str(), result.nWarnings, result.nWarnings == 1 ? "" : "s");
        return kExitSuccess;
    }
    std::printf("'%s' holds everything the library reads.\n", args[0].c_str());
    return kExitSuccess;
}

static int Run(const std::vector<std::string>& allArgs) {
    CArguments parsed;
    std::string strProblem;
    if (!ParseArguments(allArgs, {}, parsed, &strProblem))
        return UsageError(kDbCommand, strProblem);
    const std::vector<std::string>& args = parsed.operands;
    if (args.empty()) return UsageError(kDbCommand, "expected init, check or convert");
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    if (args[0] == "init") return RunInit(rest);
    if (args[0] == "check") return RunCheck(rest);
    if (args[0] == "convert") return RunDbConvert(rest);
    return UsageError(kDbCommand, "unknown db command '" + args[0] + "'");
}

const CCommand kDbCommand = {
    "db",
    "create, check or convert a project database",
    "vellumdesk db init FILE [SQL...] | db check FILE | db convert SOURCE OUT",
    "init FILE [SQL...]  creates the project database FILE (SQLite) with the\n"
    "                    tables and indexes the library reads, then runs each SQL\n"
    "                    file on it (rows of a project). FILE must not exist.\n"
    "check FILE          reports each table, index and field the library would\n"
    "                    miss or could not read (every record is read); exit\n"
    "                    status 1 when there is any. Warns about DestinationPath\n"
    "                    and Directory values without a trailing separator,\n"
    "                    which run into the names joined after them.\n"
    "convert SOURCE OUT  copies a project database into a new SQLite file.\n",
    Run,
};

}  // namespace vd::cli
