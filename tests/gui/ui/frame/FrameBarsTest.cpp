// The tool bar and the status bar on their own: the buttons, separators and images in their
// order, the two-state buttons changing command, image, texts and pressed look, and the token
// panes fitted to their texts with a floor of five blanks. Their use by the frame is tested
// with the frame.
#include <gtest/gtest.h>

#include <QAction>
#include <QFontMetrics>
#include <QLabel>
#include <QToolButton>

#include "program/app/LangResource.h"
#include "support/gui/QtApp.h"
#include "gui/ui/frame/CFrameStatusBar.h"
#include "gui/ui/frame/CFrameToolBar.h"
#include "gui/ui/frame/CommandTexts.h"

TEST(FrameToolBar, ButtonsSeparatorsAndImagesStandInTheirOrder) {
    vktest::QtApp();
    CFrameToolBar bar(nullptr);
    const std::vector<UINT> commands{214, 0, 205, 190, 0, 32775, 0, 32794, 32785, 0, 137, 32805, 0};
    ASSERT_EQ(bar.ButtonCount(), static_cast<int>(commands.size()));
    int image = 0;
    for (int index = 0; index < bar.ButtonCount(); ++index) {
        SCOPED_TRACE(index);
        EXPECT_EQ(bar.ButtonCommand(index), commands[static_cast<std::size_t>(index)]);
        if (commands[static_cast<std::size_t>(index)] == 0) {
            EXPECT_TRUE(bar.ButtonAction(index)->isSeparator());
            EXPECT_EQ(bar.ButtonImage(index), -1);
            continue;
        }
        EXPECT_EQ(bar.ButtonImage(index), image++);
        EXPECT_FALSE(bar.ButtonAction(index)->icon().isNull());
        EXPECT_FALSE(bar.IsPressed(index));
        auto* button = qobject_cast<QToolButton*>(bar.widgetForAction(bar.ButtonAction(index)));
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->size(), QSize(29, 29));
    }
    EXPECT_EQ(bar.iconSize(), QSize(22, 22));
    EXPECT_EQ(bar.FindButton(32779, 32775), 5);
    EXPECT_EQ(bar.FindButton(32796, 32794), 7);
    EXPECT_EQ(bar.FindButton(1, 2), -1);
    EXPECT_EQ(bar.ButtonCommand(99), 0u);
}

TEST(FrameToolBar, ATwoStateButtonTakesTheOtherCommandWithItsTextsAndLook) {
    vktest::QtApp();
    CFrameToolBar bar(nullptr);
    std::vector<UINT> triggered;
    QObject::connect(&bar, &CFrameToolBar::commandTriggered,
                     [&triggered](UINT id) { triggered.push_back(id); });

    bar.SetButton(0, 215, 8, true);
    EXPECT_EQ(bar.ButtonCommand(0), 215u);
    EXPECT_EQ(bar.ButtonImage(0), 8);
    EXPECT_TRUE(bar.IsPressed(0));
    EXPECT_EQ(bar.ButtonAction(0)->toolTip().toStdWString(), CommandTooltip(215));
    bar.ButtonAction(0)->trigger();

    bar.SetButton(0, 214, 0, false);
    EXPECT_EQ(bar.ButtonImage(0), 0);
    EXPECT_FALSE(bar.IsPressed(0));
    EXPECT_EQ(bar.ButtonAction(0)->toolTip().toStdWString(), CommandTooltip(214));
    bar.ButtonAction(0)->trigger();

    // The state alone keeps the image.
    bar.SetButtonState(5, 32779, true);
    EXPECT_EQ(bar.ButtonCommand(5), 32779u);
    EXPECT_EQ(bar.ButtonImage(5), 3);
    EXPECT_TRUE(bar.IsPressed(5));
    bar.ButtonAction(5)->trigger();
    EXPECT_EQ(triggered, (std::vector<UINT>{215, 214, 32779}));
    // Separators take no state.
    bar.SetButton(1, 137, 6, true);
    EXPECT_EQ(bar.ButtonCommand(1), 0u);
}

TEST(FrameStatusBar, PanesShowTheirIndicatorsFirstAndFitTheirTexts) {
    vktest::QtApp();
    CFrameStatusBar bar(nullptr);
    EXPECT_EQ(bar.PaneText(0).toStdWString(), LoadLangString(171));
    EXPECT_EQ(bar.PaneText(1).toStdWString(), LoadLangString(173));
    EXPECT_EQ(bar.PaneText(2).toStdWString(), LoadLangString(174));

    bar.SetPaneText(0, QStringLiteral("Access rights: Administrator of everything"));
    bar.SetPaneText(1, QString());
    bar.SetPaneText(2, QStringLiteral("ab"));
    bar.FitPaneWidths();
    const QFontMetrics metrics(bar.Pane(0)->font());
    const int longText = metrics.horizontalAdvance(bar.PaneText(0));
    const int blanks = metrics.horizontalAdvance(QStringLiteral("     "));
    EXPECT_GE(bar.Pane(0)->width(), longText);
    EXPECT_LT(bar.Pane(0)->width(), longText + 20);
    // Short and empty texts are measured as five blanks: both panes get the same width.
    EXPECT_EQ(bar.Pane(1)->width(), bar.Pane(2)->width());
    EXPECT_GE(bar.Pane(1)->width(), blanks);
    EXPECT_LT(bar.Pane(1)->width(), longText);
    // Out of range is ignored.
    bar.SetPaneText(7, QStringLiteral("x"));
    EXPECT_TRUE(bar.PaneText(7).isEmpty());
}
