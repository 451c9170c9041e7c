// The language switch as the main window shows it: menu, title, tool bar tooltips, status texts
// and the selected node's pane reloaded in Russian and back. The texts themselves are checked
// in both languages by the resource tests.
#include <gtest/gtest.h>

#include <QAction>
#include <QMenuBar>

#include "FrameTestWorld.h"
#include "gui/ui/frame/CFrameStatusBar.h"
#include "gui/ui/frame/CFrameToolBar.h"
#include "gui/ui/frame/CommandTexts.h"
#include "platform/text/FormatString.h"
#include "program/app/UiLanguage.h"

using namespace frametest;

namespace {

std::vector<std::wstring> TopMenuTexts(CMainFrame& frame) {
    std::vector<std::wstring> texts;
    for (QAction* action : frame.menuBar()->actions()) {
        texts.push_back(action->text().toStdWString());
    }
    return texts;
}

std::vector<std::wstring> ExpectedTopMenu(LANGID lang) {
    std::vector<std::wstring> texts;
    const CMenu menu = LoadLangMenu(IDR_MAINFRAME, lang).value_or(CMenu{});
    for (const CMenuItem& item : menu.Items()) {
        texts.push_back(item.text);
    }
    return texts;
}

// Back to English whatever a test left.
struct EnglishAfterwards {
    ~EnglishAfterwards() { SetUiLanguage(LANG_NEUTRAL_DEFAULT_ID); }
};

}  // namespace

TEST(FrameLanguage, SwitchingReloadsMenuTitleTooltipsStatusTextsAndThePane) {
    FrameWorld world;
    CLanguageEventDelivery delivery;
    EnglishAfterwards english;
    SetUiLanguage(LANG_NEUTRAL_DEFAULT_ID);
    CMainFrame& frame = world.Start();
    ASSERT_TRUE(world.Open(W(kReader1)));
    EXPECT_EQ(frame.windowTitle().toStdWString(), L"Velkora Certificates Browser");
    EXPECT_EQ(TopMenuTexts(frame), ExpectedTopMenu(LANG_NEUTRAL_DEFAULT_ID));
    const std::wstring englishAccess = world.StatusPane(CFrameStatusBar::kAccessPane);
    QWidget* paneBefore = frame.RightView();

    frame.OnCommand(ID_VIEW_SWITCH_LANGUAGE);
    ASSERT_EQ(GetUiLanguage(), LANG_RUSSIAN_ID);
    EXPECT_EQ(frame.windowTitle().toStdWString(), LoadLangString(IDR_MAINFRAME, LANG_RUSSIAN_ID));
    EXPECT_NE(frame.windowTitle().toStdWString(), L"Velkora Certificates Browser");
    EXPECT_EQ(TopMenuTexts(frame), ExpectedTopMenu(LANG_RUSSIAN_ID));
    EXPECT_EQ(world.StatusPane(CFrameStatusBar::kAccessPane),
              FormatString(LoadLangString(ID_INDICATOR_ACCESS, LANG_RUSSIAN_ID),
                           LoadLangString(IDS_ROLE_GUEST, LANG_RUSSIAN_ID)));
    EXPECT_EQ(world.StatusPane(CFrameStatusBar::kMessagePane),
              LoadLangString(AFX_IDS_IDLEMESSAGE, LANG_RUSSIAN_ID));
    const int refresh = frame.FrameToolBar()->FindButton(ID_VIEW_REFRESH, ID_VIEW_REFRESH);
    EXPECT_EQ(frame.FrameToolBar()->ButtonAction(refresh)->toolTip().toStdWString(),
              TooltipPart(LoadLangString(ID_VIEW_REFRESH, LANG_RUSSIAN_ID)));
    // The selected node showed its pane again, made anew in the new language.
    QApplication::processEvents();
    EXPECT_NE(frame.RightView(), paneBefore);
    EXPECT_EQ(frame.SelectedNode()->GetPath(), W(kReader1));

    // The Russian menu's switch item goes back to English.
    frame.OnCommand(ID_VIEW_SWITCH_LANGUAGE);
    EXPECT_EQ(GetUiLanguage(), LANG_NEUTRAL_DEFAULT_ID);
    EXPECT_EQ(frame.windowTitle().toStdWString(), L"Velkora Certificates Browser");
    EXPECT_EQ(TopMenuTexts(frame), ExpectedTopMenu(LANG_NEUTRAL_DEFAULT_ID));
    EXPECT_EQ(world.StatusPane(CFrameStatusBar::kAccessPane), englishAccess);
    EXPECT_EQ(world.StatusPane(CFrameStatusBar::kMessagePane), L"Ready");
}
