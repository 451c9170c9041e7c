// The main window's stored layout: read once at creation, written once at close. Covers a first
// start without settings, minimised, hidden, maximised and short placements, pane widths that
// are left to the splitter unless both are stored, and the pane widths, bar and container
// choices round-tripping through the registry. The tree's own behaviour is left to the tree tests.
#include <gtest/gtest.h>

#include <QMenu>
#include <QSplitter>
#include <cstring>

#include "FrameTestWorld.h"
#include "gui/resources/LangMenuBuilder.h"
#include "gui/ui/frame/CFrameToolBar.h"
#include "program/core/settings/CWindowPlacement.h"

using namespace frametest;

namespace {

void StorePlacement(DWORD length, DWORD showCmd, QRect rect) {
    CWindowPlacement p{};
    p.length = length;
    p.showCmd = showCmd;
    p.rcNormalPosition = {rect.left(), rect.top(), rect.left() + rect.width(),
                          rect.top() + rect.height()};
    StoreValue(L"WindowPlacement", REG_BINARY, &p, sizeof p);
}

// A stored "Y"/"N" value as text.
std::string Flag(const wchar_t* name) {
    const std::vector<BYTE> bytes = StoredValue(name);
    std::string text;
    for (std::size_t i = 0; i + 1 < bytes.size() && bytes[i] != 0; i += 2) {
        text.push_back(static_cast<char>(bytes[i]));
    }
    return text;
}

}  // namespace

TEST(FrameSettings, StoredPlacementsOpenNormalOrMaximisedAndPaneWidthsNeedBoth) {
    FrameWorld world;
    const QRect rect(130, 90, 820, 610);
    // Minimised, shown minimised and hidden all open normal at the stored position; maximised
    // opens maximised.
    for (DWORD show : {6u, 2u, 0u, 3u}) {
        SCOPED_TRACE(show);
        StorePlacement(44, show, rect);
        CMainFrame& frame = world.Start();
        EXPECT_FALSE(frame.isMinimized());
        EXPECT_FALSE(frame.isHidden());
        EXPECT_EQ(frame.normalGeometry(), rect);
        EXPECT_EQ(frame.isMaximized(), show == 3);
        world.Close();
    }
    // A record of the wrong length is not applied.
    StorePlacement(40, 1, rect);
    CMainFrame& frame = world.Start();
    EXPECT_FALSE(frame.isMaximized());
    EXPECT_NE(frame.normalGeometry(), rect);
    world.Close();

    // Stored pane widths are applied only when both are set; else the splitter's own are kept.
    StorePlacement(44, 1, QRect(50, 50, 900, 600));
    const QList<int> own = world.Start().Splitter()->sizes();
    world.Close();
    for (const auto& [left, right] : {std::pair{310, 0}, std::pair{0, 500}}) {
        StorePanes(left, right);
        EXPECT_EQ(world.Start().Splitter()->sizes(), own);
        world.Close();
    }
    StorePanes(310, 500);
    const QList<int> applied = world.Start().Splitter()->sizes();
    ASSERT_EQ(applied.size(), 2);
    EXPECT_EQ(applied.at(0), 310);
    EXPECT_NE(applied, own);
}

TEST(FrameSettings, AFirstStartStoresNothingAndWhatWasChosenSurvivesARestart) {
    FrameWorld world;
    CMainFrame& first = world.Start();
    EXPECT_FALSE(first.FrameToolBar()->isHidden());
    EXPECT_FALSE(first.FrameStatusBar()->isHidden());
    EXPECT_TRUE(first.ShowContainers());
    for (UINT id : {ID_VIEW_SHOW_CONTAINERS, ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR}) {
        EXPECT_TRUE(first.IsCommandChecked(id)) << id;
    }
    // Nothing was stored, so nothing was applied: no zero-sized window at the origin.
    EXPECT_GT(first.width(), 100);
    EXPECT_GT(first.height(), 100);
    EXPECT_TRUE(StoredValue(L"WindowPlacement").empty());
    first.Splitter()->setSizes({260, first.Splitter()->width() - 260});
    const QList<int> before = first.Splitter()->sizes();
    first.OnCommand(ID_VIEW_STATUS_BAR);
    first.OnCommand(ID_VIEW_SHOW_CONTAINERS);
    EXPECT_TRUE(first.FrameStatusBar()->isHidden());
    EXPECT_FALSE(first.ShowContainers());
    world.Close();
    const std::vector<BYTE> placement = StoredValue(L"WindowPlacement");
    ASSERT_EQ(placement.size(), sizeof(CWindowPlacement));
    CWindowPlacement stored{};
    std::memcpy(&stored, placement.data(), sizeof stored);
    EXPECT_EQ(stored.length, 44u);
    EXPECT_EQ(stored.showCmd, 1u);
    EXPECT_EQ(Flag(L"ShowContainers"), "N");
    EXPECT_EQ(Flag(L"StatusBarVisible"), "N");
    EXPECT_EQ(Flag(L"ToolBarVisible"), "Y");

    CMainFrame& second = world.Start();
    EXPECT_EQ(second.Splitter()->sizes(), before);
    EXPECT_FALSE(second.FrameToolBar()->isHidden());
    EXPECT_TRUE(second.FrameStatusBar()->isHidden());
    EXPECT_FALSE(second.ShowContainers());
    EXPECT_FALSE(second.IsCommandChecked(ID_VIEW_SHOW_CONTAINERS));
    // The View menu shows the state, and the command brings the bar back.
    QMenu* view = second.TopMenu(1);
    ASSERT_NE(view, nullptr);
    emit view->aboutToShow();
    QAction* item = CLangMenuBuilder::FindAction(view, ID_VIEW_STATUS_BAR);
    ASSERT_NE(item, nullptr);
    EXPECT_FALSE(item->isChecked());
    second.OnCommand(ID_VIEW_STATUS_BAR);
    EXPECT_FALSE(second.FrameStatusBar()->isHidden());
    emit view->aboutToShow();
    EXPECT_TRUE(item->isChecked());

    second.OnCommand(ID_VIEW_TOOLBAR);
    second.OnCommand(ID_VIEW_SHOW_CONTAINERS);
    world.Close();
    EXPECT_EQ(Flag(L"ToolBarVisible"), "N");
    EXPECT_EQ(Flag(L"StatusBarVisible"), "Y");
    EXPECT_EQ(Flag(L"ShowContainers"), "Y");
    EXPECT_TRUE(world.Start().FrameToolBar()->isHidden());
    EXPECT_FALSE(world.Frame().IsCommandChecked(ID_VIEW_TOOLBAR));
}
