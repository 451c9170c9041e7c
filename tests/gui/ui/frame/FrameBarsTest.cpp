// The status bar on its own: the token panes fitted to their texts with a floor of five blanks,
// and panes out of range ignored. What the bars show for a node is tested with the frame.
#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QLabel>

#include "gui/ui/frame/CFrameStatusBar.h"
#include "support/gui/QtApp.h"

TEST(FrameStatusBar, PanesFitTheirTextsWithAFloorOfFiveBlanks) {
    vktest::QtApp();
    CFrameStatusBar bar(nullptr);
    bar.SetPaneText(0, QStringLiteral("Access rights: Administrator of everything"));
    bar.SetPaneText(1, QString());
    bar.SetPaneText(2, QStringLiteral("ab"));
    bar.FitPaneWidths();
    const QFontMetrics metrics(bar.Pane(0)->font());
    const int longText = metrics.horizontalAdvance(bar.PaneText(0));
    EXPECT_GE(bar.Pane(0)->width(), longText);
    EXPECT_LT(bar.Pane(0)->width(), longText + 20);
    // Short and empty texts are measured as five blanks: both panes get the same width.
    EXPECT_EQ(bar.Pane(1)->width(), bar.Pane(2)->width());
    EXPECT_GE(bar.Pane(1)->width(), metrics.horizontalAdvance(QStringLiteral("     ")));
    EXPECT_LT(bar.Pane(1)->width(), longText);
    bar.SetPaneText(7, QStringLiteral("x"));
    EXPECT_TRUE(bar.PaneText(7).isEmpty());
}
