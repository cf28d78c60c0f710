// A fresh folder that a benchmark creates for its files and removes, with
// everything in it, when it is done. Nothing else is ever deleted: mkdtemp
// makes a new folder, so it cannot be one that existed before.
#pragma once

#include <stdlib.h>

#include <cerrno>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

class CScratchFolder {
  public:
    // A new folder "vellumdesk-bench-XXXXXX" inside parent (by default the
    // system's folder for temporary files).
    explicit CScratchFolder(const std::filesystem::path& parent = {}) {
        const std::filesystem::path base =
            parent.empty() ? std::filesystem::temp_directory_path() : parent;
        std::string strTemplate = (base / "vellumdesk-bench-XXXXXX").string();
        if (mkdtemp(strTemplate.data()) == nullptr) {
            throw std::system_error(errno, std::generic_category(),
                                    "cannot create a folder in " + base.string());
        }
        m_path = strTemplate;
    }
    ~CScratchFolder() {
        std::error_code error;
        std::filesystem::remove_all(m_path, error);
    }
    CScratchFolder(const CScratchFolder&) = delete;
    CScratchFolder& operator=(const CScratchFolder&) = delete;

    const std::filesystem::path& Path() const { return m_path; }

  private:
    std::filesystem::path m_path;
};

// A scratch folder inside parent for the program pszProgram, or null after
// saying on stderr why it could not be made.
inline std::unique_ptr<CScratchFolder> MakeScratchFolder(const char* pszProgram,
                                                         const std::filesystem::path& parent) {
    try {
        return std::make_unique<CScratchFolder>(parent);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s: %s\n", pszProgram, error.what());
        return nullptr;
    }
}
