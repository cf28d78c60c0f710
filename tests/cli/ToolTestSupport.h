// Running the vellumdesk tool as a user runs it, from a test: a folder of
// its own, the arguments quoted for the shell, stdout and stderr captured,
// and the sample project's database with its outputs in that folder.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/TestSupport.h"

namespace vd::test {

namespace fs = std::filesystem;

struct SRun {
    int nExit = -1;
    std::string strOut;
    std::string strErr;
};

inline std::string Slurp(const std::string& strPath) {
    std::ifstream in(strPath, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline std::string ShellQuote(const std::string& strText) {
    std::string strQuoted = "'";
    for (const char c : strText) {
        if (c == '\'') {
            strQuoted += "'\\''";
        } else {
            strQuoted += c;
        }
    }
    return strQuoted + "'";
}

inline std::size_t Lines(const std::string& strText) {
    return static_cast<std::size_t>(std::count(strText.begin(), strText.end(), '\n'));
}

inline const std::string kSample = std::string(VD_SOURCE_DIR) + "/examples/sample/";

class CToolTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!fs::exists(std::string(VD_BINARY_DIR) + "/vellumdesk")) {
            GTEST_SKIP() << "the vellumdesk tool was not built";
        }
    }

    // Runs the tool with each argument quoted for the shell, in m_dir; stdout
    // goes to strStdout when given, stdin comes from strStdin when given, and
    // strEnvironment ("NAME=value ...") is put before the command.
    SRun Tool(const std::vector<std::string>& args, const std::string& strStdout = "",
              const std::string& strStdin = "", const std::string& strEnvironment = "") {
        std::string strCommand = "cd " + ShellQuote(m_dir.Path().string()) + " && " +
                                 strEnvironment + " " +
                                 ShellQuote(std::string(VD_BINARY_DIR) + "/vellumdesk");
        for (const std::string& arg : args) {
            strCommand += ' ';
            strCommand += ShellQuote(arg);
        }
        strCommand += " >" + ShellQuote(strStdout.empty() ? m_dir.File(".out") : strStdout) +
                      " 2>" + ShellQuote(m_dir.File(".err"));
        if (!strStdin.empty()) strCommand += " <" + ShellQuote(strStdin);
        WriteText(m_dir.File(".out"), "");
        const int nStatus = std::system(strCommand.c_str());
        SRun run;
        run.nExit = WIFEXITED(nStatus) ? WEXITSTATUS(nStatus) : -1;
        run.strOut = Slurp(m_dir.File(".out"));
        run.strErr = Slurp(m_dir.File(".err"));
        return run;
    }

    // The sample's project database with its outputs under m_dir/pub/, and
    // the SQL files in extra run after it.
    std::string SampleDatabase(const std::string& strName,
                               const std::vector<std::string>& extraSql) {
        std::string strSql = Slurp(kSample + "project.sql");
        const std::string strOut = m_dir.Prefix() + "pub/";
        fs::create_directories(strOut);
        for (std::size_t n; (n = strSql.find("@OUT@")) != std::string::npos;) {
            strSql.replace(n, 5, strOut);
        }
        WriteText(m_dir.File("project.sql"), strSql);
        std::vector<std::string> args = {"db", "init", m_dir.File(strName),
                                         m_dir.File("project.sql")};
        for (std::size_t i = 0; i < extraSql.size(); ++i) {
            const std::string strFile = m_dir.File("extra" + std::to_string(i) + ".sql");
            WriteText(strFile, extraSql[i]);
            args.push_back(strFile);
        }
        const SRun run = Tool(args);
        EXPECT_EQ(run.nExit, 0) << run.strErr;
        return m_dir.File(strName);
    }

    CTempDir m_dir;
};

}  // namespace vd::test
