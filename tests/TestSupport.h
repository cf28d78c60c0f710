// Helpers shared by the test programs.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace vd::test {

// A fresh folder under the system's temporary folder, removed afterwards.
class CTempDir {
  public:
    CTempDir();
    ~CTempDir();
    CTempDir(const CTempDir&) = delete;
    CTempDir& operator=(const CTempDir&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    // The folder as a prefix with its trailing separator.
    std::string Prefix() const { return m_path.string() + "/"; }
    std::string File(const std::string& name) const { return (m_path / name).string(); }

  private:
    std::filesystem::path m_path;
};

std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& path);
void WriteBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);
void WriteText(const std::filesystem::path& path, const std::string& text);

// Runs work in a child process whose files cannot grow beyond nMaxFileBytes,
// as on a full disk: a write past the limit fails (SIGXFSZ is ignored).
// Answers work's result (0 to 255), or -1 when the child did not exit.
int RunWithFileSizeLimit(std::uint64_t nMaxFileBytes, const std::function<int()>& work);

// The names in folder, sorted (to see that no temporary was left behind).
std::vector<std::string> FolderContents(const std::filesystem::path& folder);

// The shared test data folder (bmpsuite, shg, mdb), or "" when it is absent.
std::filesystem::path TestDataDir();

}  // namespace vd::test

// Skips the current test with a message when the shared test data is absent.
#define VD_REQUIRE_TESTDATA(sub)                                                           \
    do {                                                                                   \
        if (vd::test::TestDataDir().empty() ||                                             \
            !std::filesystem::exists(vd::test::TestDataDir() / (sub))) {                   \
            GTEST_SKIP() << "shared test data not found (expected ../shared/testdata/" sub \
                            " beside the clone)";                                          \
        }                                                                                  \
    } while (0)
