// Hotspot link resolution against real project databases: page names,
// first-leaf descents, pop-up groups, names compared as the index compares.
#include <memory>
#include <string>
#include <vector>

#include "hypergraphics/AreaList.h"
#include "projectdb/Engine.h"
#include "projectdb/LinkResolution.h"
#include "projectdb/LinkSink.h"
#include "projectdb/ProjectSchema.h"
#include "tests/projectdb/ProjectDbTestSupport.h"

namespace vd {
namespace {

using test::CSessionTest;
using test::CTempDir;

struct CHotspot {
    std::int32_t nType;
    std::string strName;
    std::string strTarget = "as read";
};

// Keeps what the sink hears: "N looked-up/found group 'sought' target".
class CRecordingSink : public CLinkSink {
  public:
    void LinkResolved(const SLinkResolution& link) override {
        heard.push_back(std::to_string(link.nHotspot) + (link.bLookedUp ? " sought" : " macro") +
                        (link.bFound ? "/found " : "/none ") + std::to_string(link.nGroup) + " '" +
                        link.strSought + "' " + link.pArea->m_strTarget);
    }
    std::vector<std::string> heard;
};

class LinkResolution : public CSessionTest {
  protected:
    void OpenSample() {
        const std::string strPath = m_dir.File("sample.db");
        test::BuildDatabase(strPath, test::SampleProjectSql());
        ASSERT_EQ(bOpenProjectDatabase(strPath), 1);
    }
    void OpenProject(const std::string& strRows) {
        const std::string strPath = m_dir.File("project.db");
        ASSERT_TRUE(CreateProjectDatabase(strPath, {strRows}));
        ASSERT_EQ(bOpenProjectDatabase(strPath), 1);
    }
    static void PositionSource(std::int32_t nKey) {
        g_pSources->SetIndex("IDX");
        ASSERT_TRUE(g_pSources->Seek({nKey}));
        g_pSourcesStamm->SetIndex("IDX");
        ASSERT_TRUE(g_pSourcesStamm->Seek({g_pSources->GetLong("SourcesStammIdx")}));
    }
    // Resolves the hotspots as one area list and answers their targets.
    static std::vector<std::string> Resolve(const std::vector<CHotspot>& hotspots,
                                            CLinkSink* pSink = nullptr) {
        CAreaList list;
        CAreaListOwner owner(list);
        for (const CHotspot& hotspot : hotspots) {
            auto* pArea = new CArea(1);
            list.AddTail(pArea);
            pArea->m_nType = hotspot.nType;
            pArea->m_strName = hotspot.strName;
            pArea->m_strTarget = hotspot.strTarget;
        }
        EXPECT_TRUE(bResolveLinks(list, pSink));
        std::vector<std::string> targets;
        for (const CArea* pArea : list) targets.push_back(pArea->m_strTarget);
        return targets;
    }
    static std::string Jump(const std::string& strName) {
        return Resolve({{AREA_JUMP, "!" + strName}}).front();
    }
    static std::string Popup(const std::string& strName) {
        return Resolve({{AREA_POPUP, "!" + strName}}).front();
    }

    CTempDir m_dir;
};

TEST_F(LinkResolution, JumpsLinkToTheFirstLeafOrTheStartPage) {
    VD_REQUIRE_TESTDATA("mdb/sample-project.sql");
    OpenSample();
    PositionSource(1);  // main document group 10, profile 1 (htm, index.htm)
    // The path from the document's first heading down to its first leaf.
    for (const char* pszName :
         {"Welcome", "Getting started", "Installing", "System requirements"}) {
        EXPECT_EQ(Jump(pszName), "index.htm") << pszName;
    }
    EXPECT_EQ(Jump("Setup options"), "t00006.htm");  // stops at a sibling of equal depth
    EXPECT_EQ(Jump("First steps"), "t00005.htm");    // stops at a shallower heading
    EXPECT_EQ(Jump("Menus"), "t00010.htm");          // two levels down to Open
    EXPECT_EQ(Jump("Edit menu"), "t00014.htm");
    EXPECT_EQ(Jump("Customizing"), "t00019.htm");
    EXPECT_EQ(Jump("Reference"), "t00023.htm");
    EXPECT_EQ(Jump("Contact"), "t00024.htm");   // stops at the first heading of group 11
    EXPECT_EQ(Jump("Replace"), "t123456.htm");  // six digits in full
    EXPECT_EQ(Jump("Nowhere"), "00000.htm");
}

TEST_F(LinkResolution, NamesCompareAsTheIndexDoesAndTheFirstEqualNameWins) {
    VD_REQUIRE_TESTDATA("mdb/sample-project.sql");
    OpenSample();
    PositionSource(1);
    // "ToolBar" (18, first subheading Buttons 19) was stored before "Toolbar"
    // (16, no subheadings); their keys are equal, so every spelling finds it.
    EXPECT_EQ(Jump("ToolBar"), "t00019.htm");
    EXPECT_EQ(Jump("Toolbar"), "t00019.htm");
    EXPECT_EQ(Jump("toolbar"), "t00019.htm");
    EXPECT_EQ(Jump("Options "), "t00021.htm");
    EXPECT_EQ(Jump("Options"), "00000.htm");  // the trailing blank counts
    EXPECT_EQ(Jump("\xC3\x9C"
                   "bersicht"),
              "t00007.htm");
}

TEST_F(LinkResolution, PopupsUseTheNextGroupAndGetNoDescent) {
    VD_REQUIRE_TESTDATA("mdb/sample-project.sql");
    OpenSample();
    PositionSource(1);
    EXPECT_EQ(Popup("Glossary"), "p00201.htm");  // not group 10's Glossary (23)
    EXPECT_EQ(Popup("Jump"), "p00206.htm");
    EXPECT_EQ(Popup("Welcome"), "00000.htm");  // only in the main group
    EXPECT_EQ(Popup("Replace"), "00000.htm");

    // Source 3: main group 12, which has no pop-up group 13.
    PositionSource(3);
    EXPECT_EQ(Popup("Welcome"), "00000.htm");
    EXPECT_EQ(Jump("Welcome"), "index.htm");
    EXPECT_EQ(Jump("New features"), "index.htm");
    EXPECT_EQ(Jump("Known issues"), "t00303.htm");  // the last record of the table
}

TEST_F(LinkResolution, MacrosShortNamesAndListOrder) {
    VD_REQUIRE_TESTDATA("mdb/sample-project.sql");
    OpenSample();
    PositionSource(1);
    const auto sourcesBefore = g_pSources->GetBookmark();
    const auto masterBefore = g_pSourcesStamm->GetBookmark();
    CRecordingSink sink;
    const std::vector<std::string> targets = Resolve(
        {
            {AREA_MACRO, "!Welcome", "ExecFile(notepad.exe)"},
            {AREA_JUMP, "W"},  // one character: the name sought is empty
            {AREA_POPUP, ""},
            {AREA_JUMP, "#Menus"},
            {AREA_MACRO, "", ""},
            {AREA_POPUP, "xTopic"},
        },
        &sink);
    EXPECT_EQ(targets, (std::vector<std::string>{"ExecFile(notepad.exe)", "00000.htm", "00000.htm",
                                                 "t00010.htm", "", "p00204.htm"}));
    // The sink hears every area once, in list order, after its target is set.
    EXPECT_EQ(sink.heard,
              (std::vector<std::string>{
                  "1 macro/none 0 '' ExecFile(notepad.exe)", "2 sought/none 10 '' 00000.htm",
                  "3 sought/none 11 '' 00000.htm", "4 sought/found 10 'Menus' t00010.htm",
                  "5 macro/none 0 '' ", "6 sought/found 11 'Topic' p00204.htm"}));
    // Resolution never moves the source's cursors.
    EXPECT_EQ(g_pSources->GetBookmark(), sourcesBefore);
    EXPECT_EQ(g_pSourcesStamm->GetBookmark(), masterBefore);
}

TEST_F(LinkResolution, AMissingProfileLeavesExtensionAndStartPageEmpty) {
    OpenProject(
        "INSERT INTO Sources VALUES (1, 1, 5, 99, 1);"
        "INSERT INTO SourcesStamm VALUES (1, '/tmp/', 1);"
        "INSERT INTO CompileStamm VALUES (1, 'htm', 'index.htm');"
        "INSERT INTO HeadLines VALUES (5, 1, 'Start', 1, 1);"
        "INSERT INTO HeadLines VALUES (5, 2, 'Other', 42, 1);"
        "INSERT INTO HeadLines VALUES (6, 1, 'Note', 42, 1);");
    PositionSource(1);
    EXPECT_EQ(Resolve({{AREA_POPUP, "!Note"},
                       {AREA_JUMP, "!Other"},
                       {AREA_JUMP, "!Start"},
                       {AREA_JUMP, "!None"}}),
              (std::vector<std::string>{"p00042.", "t00042.", "", "00000."}));
}

TEST_F(LinkResolution, NumbersAreComparedNotRecords) {
    // A later leaf that shares the first leaf's Number also links to the
    // start page; negative and large numbers keep their "%05d" form.
    OpenProject(
        "INSERT INTO Sources VALUES (1, 1, 5, 1, 1);"
        "INSERT INTO SourcesStamm VALUES (1, '/tmp/', 1);"
        "INSERT INTO CompileStamm VALUES (1, 'html', 'start.html');"
        "INSERT INTO HeadLines VALUES (5, 1, 'Top', 1, 0);"
        "INSERT INTO HeadLines VALUES (5, 2, 'Leaf', 7, 1);"
        "INSERT INTO HeadLines VALUES (5, 3, 'Twin', 7, 0);"
        "INSERT INTO HeadLines VALUES (5, 4, 'Negative', -12, -5);"
        "INSERT INTO HeadLines VALUES (5, 5, 'Deeper', 2147483647, -4);"
        "INSERT INTO HeadLines VALUES (6, 1, 'Minus', -3, 1);");
    PositionSource(1);
    EXPECT_EQ(Jump("Twin"), "start.html");
    // Deep is compared as a signed number: -4 is deeper than -5.
    EXPECT_EQ(Jump("Negative"), "t2147483647.html");
    EXPECT_EQ(Popup("Minus"), "p-0003.html");
}

TEST_F(LinkResolution, AnEmptyHeadingTableFindsNothing) {
    OpenProject(
        "INSERT INTO Sources VALUES (1, 1, 5, 1, 1);"
        "INSERT INTO SourcesStamm VALUES (1, '/tmp/', 1);"
        "INSERT INTO CompileStamm VALUES (1, 'htm', 'index.htm');");
    PositionSource(1);
    EXPECT_EQ(Resolve({{AREA_JUMP, "!A"}, {AREA_POPUP, "!B"}}),
              (std::vector<std::string>{"00000.htm", "00000.htm"}));
}

TEST_F(LinkResolution, EngineErrorsPassToTheCaller) {
    const std::string strPath = m_dir.File("project.db");
    test::BuildDatabase(strPath, std::string(kProjectSchemaSql) +
                                     "DROP INDEX HeadLines_IDXNAME;"
                                     "INSERT INTO Sources VALUES (1, 1, 5, 1, 1);"
                                     "INSERT INTO SourcesStamm VALUES (1, '/tmp/', 1);");
    ASSERT_EQ(bOpenProjectDatabase(strPath), 1);
    PositionSource(1);
    EXPECT_THROW(Jump("A"), CEngineException);
    // A macro area needs no heading lookup.
    EXPECT_EQ(Resolve({{AREA_MACRO, "!A", "Macro()"}}).front(), "Macro()");
}

}  // namespace
}  // namespace vd
