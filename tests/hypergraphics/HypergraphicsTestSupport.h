// A small publication for the tests of the image map and the conversion: a
// project database whose source 7 publishes into a temporary folder
// (pictures into "images/", maps into "maps/"), and SHG files built with the
// test-side builder.
#pragma once

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "frame/LibraryState.h"
#include "projectdb/ProjectSchema.h"
#include "projectdb/Session.h"
#include "tests/TestSupport.h"
#include "tests/shgfile/ShgBuilder.h"

namespace vd::test {

// Rows of a project: source 7 (main group 10, pop-ups in group 11, profile
// 1 with pages "htm" and start page "index.htm") publishes into strRoot.
inline std::string PublicationRows(const std::string& strRoot) {
    return "INSERT INTO Sources VALUES (7, 1, 10, 1, 1);"
           "INSERT INTO Sources VALUES (8, 99, 10, 1, 1);"  // its master record is missing
           "INSERT INTO SourcesStamm VALUES (1, '" +
           strRoot +
           "', 1);"
           "INSERT INTO DirectoryList VALUES (1, 1, '*.gif', '/images');"
           "INSERT INTO DirectoryList VALUES (1, 1, '*.map', 'maps/');"
           "INSERT INTO CompileStamm VALUES (1, 'htm', 'index.htm');"
           "INSERT INTO HeadLines VALUES (10, 1, 'Welcome', 1, 1);"
           "INSERT INTO HeadLines VALUES (10, 2, 'Details', 2, 1);"
           "INSERT INTO HeadLines VALUES (11, 1, 'Glossary', 201, 1);";
}

// The 5 x 3 picture of 4 bits per pixel with three hotspots (a pop-up, an
// invisible jump and a macro) whose expected GIF and map are in data/
// (see data/make-expected.py).
inline CShgDescription PlanPicture() {
    CShgDescription desc;
    desc.layout = EShgLayout::Long38;
    desc.nBitCount = 4;
    desc.nWidth = 5;
    desc.nHeight = 3;
    desc.nColoursUsed = 16;
    for (int i = 0; i < 16; ++i) {
        desc.colourTable.push_back(static_cast<std::uint8_t>((i * 16) & 0xFF));
        desc.colourTable.push_back(static_cast<std::uint8_t>((i * 32) & 0xFF));
        desc.colourTable.push_back(static_cast<std::uint8_t>((255 - i * 16) & 0xFF));
        desc.colourTable.push_back(0);
    }
    // Bottom row first, high nibble first, rows padded to 4 bytes.
    desc.pixels = {0x0F, 0x0F, 0x00, 0x00,   // 0 15 0 15 0
                   0x11, 0x11, 0x10, 0x00,   // 1 1 1 1 1
                   0x12, 0x34, 0x50, 0x00};  // 1 2 3 4 5
    desc.hotspots = {
        {0xE2, 0, 0, 2, 1, "!Glossary", "glossary_id"},
        {0xE7, 1, 1, 4, 2, "!Welcome", "welcome_id"},
        {0xC8, 4, 0, 1, 1, "!Run", "JumpId(`a.hlp',`b')"},
    };
    return desc;
}

inline std::filesystem::path ExpectedDataDir() {
    return std::filesystem::path(VD_SOURCE_DIR) / "tests" / "hypergraphics" / "data";
}

// Every file below dir, relative to it, sorted.
inline std::vector<std::string> FilesBelow(const std::filesystem::path& dir) {
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir)) {
        files.push_back(std::filesystem::relative(entry.path(), dir).generic_string() +
                        (entry.is_directory() ? "/" : ""));
    }
    std::sort(files.begin(), files.end());
    return files;
}

// Closes the session and clears the flag around each test, as a fresh load.
class CPublicationTest : public ::testing::Test {
  protected:
    void SetUp() override { Reset(); }
    void TearDown() override { Reset(); }
    static void Reset() {
        CloseProjectDatabase();
        g_bDatabaseOpen = 0;
    }

    // A project database (in the work folder) publishing into m_out.
    std::string MakeDatabase(const std::string& strName, const std::string& strExtraSql = "") {
        const std::string strPath = m_work.File(strName);
        std::string strReason;
        EXPECT_TRUE(CreateProjectDatabase(strPath, {PublicationRows(m_out.Prefix()) + strExtraSql},
                                          &strReason))
            << strReason;
        return strPath;
    }
    std::string WriteShg(const std::string& strName, const CShgDescription& desc) {
        const std::string strPath = m_work.File(strName);
        WriteBytes(strPath, BuildShg(desc));
        return strPath;
    }

    CTempDir m_work;  // inputs
    CTempDir m_out;   // the publication
};

}  // namespace vd::test
