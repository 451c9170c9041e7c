// The main window's stored layout: read once at creation, written once at close. Covers a first
// start without settings, hidden and minimised placements, pane widths that are left to the
// splitter, and the bar flags round-tripping through the registry. The tree's own behaviour is
// left to the tree view's tests.
#include <gtest/gtest.h>

#include <QMenu>
#include <QSplitter>

#include <cstring>

#include "FrameTestWorld.h"
#include "gui/resources/LangMenuBuilder.h"
#include "program/core/settings/CSplitterItemInfo.h"
#include "program/core/settings/CWindowPlacement.h"
#include "gui/ui/frame/CFrameStatusBar.h"
#include "gui/ui/frame/CFrameToolBar.h"

using namespace frametest;

namespace {

constexpr UINT kCmdShowContainers = 203;
constexpr UINT kCmdStatusBar = 166;
constexpr UINT kCmdToolBar = 185;

CWindowPlacement Placement(DWORD length, DWORD showCmd, QRect rect) {
    CWindowPlacement p{};
    p.length = length;
    p.showCmd = showCmd;
    p.rcNormalPosition = {rect.left(), rect.top(), rect.left() + rect.width(),
                          rect.top() + rect.height()};
    return p;
}

void StorePanes(LONG left, LONG right) {
    const SLocalTools::CSplitterItemInfo l{left, 0};
    const SLocalTools::CSplitterItemInfo r{right, 0};
    StoreValue(L"LeftPaneInfo", REG_BINARY, &l, sizeof l);
    StoreValue(L"RightPaneInfo", REG_BINARY, &r, sizeof r);
}

std::string Text(const std::vector<BYTE>& bytes) {
    std::wstring text;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const wchar_t c = static_cast<wchar_t>(bytes[i] | (bytes[i + 1] << 8));
        if (c == 0) {
            break;
        }
        text.push_back(c);
    }
    return QString::fromStdWString(text).toStdString();
}

}  // namespace

TEST(FrameSettings, FirstStartShowsBarsAndContainersAndLeavesTheLayoutToQt) {
    FrameWorld world;
    QRect defaultGeometry;
    QList<int> defaultSizes;
    {
        // A window that never reads settings, for what Qt does by itself.
        QMainWindow plain;
        plain.resize(plain.sizeHint());
        defaultGeometry = plain.geometry();
    }
    CMainFrame& frame = world.Start();
    EXPECT_FALSE(frame.FrameToolBar()->isHidden());
    EXPECT_FALSE(frame.FrameStatusBar()->isHidden());
    EXPECT_TRUE(frame.ShowContainers());
    EXPECT_TRUE(frame.IsCommandChecked(kCmdShowContainers));
    EXPECT_TRUE(frame.IsCommandChecked(kCmdToolBar));
    EXPECT_TRUE(frame.IsCommandChecked(kCmdStatusBar));
    EXPECT_FALSE(frame.isMinimized());
    EXPECT_FALSE(frame.isMaximized());
    // Nothing was stored, so nothing was applied: no zero-sized window at the origin.
    EXPECT_GT(frame.width(), 100);
    EXPECT_GT(frame.height(), 100);
    // The token level shows containers under the tokens.
    NodePtr container = world.Open(W(kReader0) + L"\\Ivanov-2026");
    ASSERT_TRUE(container);
    EXPECT_EQ(container->GetClassName(), "CContainerItemInfo");
    // Reading is all a start does: the hive holds no settings until the close.
    EXPECT_TRUE(StoredValue(L"WindowPlacement").empty());
    world.Close();
    const std::vector<BYTE> placement = StoredValue(L"WindowPlacement");
    ASSERT_EQ(placement.size(), sizeof(CWindowPlacement));
    CWindowPlacement stored{};
    std::memcpy(&stored, placement.data(), sizeof stored);
    EXPECT_EQ(stored.length, 44u);
    EXPECT_EQ(stored.showCmd, 1u);
    EXPECT_EQ(Text(StoredValue(L"ShowContainers")), "Y");
    EXPECT_EQ(Text(StoredValue(L"StatusBarVisible")), "Y");
    EXPECT_EQ(Text(StoredValue(L"ToolBarVisible")), "Y");
}

TEST(FrameSettings, AMinimisedOrHiddenPlacementOpensNormalAtItsStoredPosition) {
    FrameWorld world;
    const QRect rect(130, 90, 820, 610);
    for (DWORD show : {6u, 2u, 0u}) {
        SCOPED_TRACE(show);
        const CWindowPlacement stored = Placement(44, show, rect);
        StoreValue(L"WindowPlacement", REG_BINARY, &stored, sizeof stored);
        CMainFrame& frame = world.Start();
        EXPECT_FALSE(frame.isMinimized());
        EXPECT_FALSE(frame.isHidden());
        EXPECT_EQ(frame.normalGeometry(), rect);
        world.Close();
    }
}

TEST(FrameSettings, AMaximisedPlacementOpensMaximisedAndAShortRecordIsNotApplied) {
    FrameWorld world;
    const QRect rect(140, 100, 700, 500);
    CWindowPlacement stored = Placement(44, 3, rect);
    StoreValue(L"WindowPlacement", REG_BINARY, &stored, sizeof stored);
    EXPECT_TRUE(world.Start().isMaximized());
    world.Close();

    stored = Placement(40, 1, rect);
    StoreValue(L"WindowPlacement", REG_BINARY, &stored, sizeof stored);
    CMainFrame& frame = world.Start();
    EXPECT_FALSE(frame.isMaximized());
    EXPECT_NE(frame.normalGeometry(), rect);
}

TEST(FrameSettings, StoredPaneWidthsAreAppliedOnlyWhenBothAreSet) {
    FrameWorld world;
    const CWindowPlacement stored = Placement(44, 1, QRect(50, 50, 900, 600));
    StoreValue(L"WindowPlacement", REG_BINARY, &stored, sizeof stored);

    // The splitter's own widths, for a window of this size.
    const QList<int> own = world.Start().Splitter()->sizes();
    world.Close();
    ASSERT_EQ(own.size(), 2);

    StorePanes(310, 0);
    EXPECT_EQ(world.Start().Splitter()->sizes(), own);
    world.Close();

    StorePanes(0, 500);
    EXPECT_EQ(world.Start().Splitter()->sizes(), own);
    world.Close();

    StorePanes(310, 500);
    const QList<int> applied = world.Start().Splitter()->sizes();
    ASSERT_EQ(applied.size(), 2);
    EXPECT_EQ(applied.at(0), 310);
    EXPECT_NE(applied, own);
}

TEST(FrameSettings, PaneWidthsAndBarsSurviveARestart) {
    FrameWorld world;
    CMainFrame& first = world.Start();
    first.Splitter()->setSizes({260, first.Splitter()->width() - 260});
    const QList<int> before = first.Splitter()->sizes();
    first.OnCommand(kCmdToolBar);
    EXPECT_TRUE(first.FrameToolBar()->isHidden());
    world.Close();
    EXPECT_EQ(Text(StoredValue(L"ToolBarVisible")), "N");

    CMainFrame& second = world.Start();
    EXPECT_EQ(second.Splitter()->sizes(), before);
    EXPECT_TRUE(second.FrameToolBar()->isHidden());
    EXPECT_FALSE(second.IsCommandChecked(kCmdToolBar));
}

TEST(FrameSettings, AStatusBarHiddenAtCloseIsStoredAsNAndStaysHidden) {
    FrameWorld world;
    CMainFrame& first = world.Start();
    first.OnCommand(kCmdStatusBar);
    EXPECT_TRUE(first.FrameStatusBar()->isHidden());
    EXPECT_FALSE(first.IsCommandChecked(kCmdStatusBar));
    world.Close();
    EXPECT_EQ(Text(StoredValue(L"StatusBarVisible")), "N");
    EXPECT_EQ(Text(StoredValue(L"ToolBarVisible")), "Y");

    CMainFrame& second = world.Start();
    EXPECT_TRUE(second.FrameStatusBar()->isHidden());
    // The View menu shows the state, and the command brings the bar back.
    QMenu* view = second.TopMenu(1);
    ASSERT_NE(view, nullptr);
    emit view->aboutToShow();
    QAction* item = CLangMenuBuilder::FindAction(view, kCmdStatusBar);
    ASSERT_NE(item, nullptr);
    EXPECT_FALSE(item->isChecked());
    second.OnCommand(kCmdStatusBar);
    EXPECT_FALSE(second.FrameStatusBar()->isHidden());
    emit view->aboutToShow();
    EXPECT_TRUE(item->isChecked());
}

TEST(FrameSettings, ShowContainersIsStoredAtClose) {
    FrameWorld world;
    world.Start().OnCommand(kCmdShowContainers);
    EXPECT_FALSE(world.Frame().ShowContainers());
    world.Close();
    EXPECT_EQ(Text(StoredValue(L"ShowContainers")), "N");
    EXPECT_FALSE(world.Start().ShowContainers());
    // Keys directly under the token.
    world.Expand(world.Find(W(kReader0)));
    const std::vector<NodePtr> keys = world.Children(world.Find(W(kReader0)));
    ASSERT_FALSE(keys.empty());
    for (const NodePtr& key : keys) {
        EXPECT_EQ(key->GetClassName(), "CCertificateItemInfo");
    }
}
