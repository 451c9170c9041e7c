// A reader without a token, selected in the window: its pane shows no token, the status bar no
// token panes, and nothing offers a login, neither the Actions menu nor the tool bar.
#include <gtest/gtest.h>

#include "FrameTestWorld.h"
#include "gui/ui/frame/CFrameToolBar.h"
#include "gui/ui/views/CTokenInfoViewEx.h"

using namespace frametest;

TEST(FrameEmptyReader, ShowsNoTokenAndOffersNoLogin) {
    FrameWorld world;
    CMainFrame& frame = world.Start();
    ASSERT_TRUE(world.Open(W(kReader2)));
    auto* view = dynamic_cast<CTokenInfoViewEx*>(frame.RightViewInterface());
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->HeaderText(), "No Velkora's detected.");
    EXPECT_EQ(view->RowCount(), 0);

    EXPECT_FALSE(frame.IsCommandEnabled(ID_ACTIONS_LOGIN));
    EXPECT_FALSE(frame.IsCommandEnabled(ID_ACTIONS_LOGOUT));
    CFrameToolBar* bar = frame.FrameToolBar();
    ASSERT_NE(bar, nullptr);
    QApplication::processEvents();
    EXPECT_EQ(bar->ButtonCommand(0), UINT{ID_ACTIONS_LOGIN});
    EXPECT_FALSE(bar->ButtonAction(0)->isEnabled());
    // No made-up token in the status bar either.
    for (const int pane : {CFrameStatusBar::kAccessPane, CFrameStatusBar::kTokenIdPane,
                           CFrameStatusBar::kFreeBytesPane}) {
        EXPECT_EQ(world.StatusPane(pane), L"") << pane;
    }
}
