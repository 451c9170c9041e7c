// The language switch as the main window shows it: menu, title, tool bar tooltips, status texts
// and the selected node's pane reloaded in Russian and back, for a guest and a user. The token
// panes of the status bar are each wide enough for their whole text (the label's own font, frame,
// contents margins, margin and indent counted), and they and the detail box are drawn with a full
// frame. The texts themselves are checked in both languages by the resource tests.
#include <gtest/gtest.h>

#include <QAction>
#include <QImage>
#include <QLabel>
#include <QMenuBar>

#include "FrameTestWorld.h"
#include "gui/ui/frame/CFrameToolBar.h"
#include "gui/ui/frame/CommandTexts.h"
#include "gui/widgets/CEdit_Ex.h"
#include "platform/text/FormatString.h"

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

// The room QLabel leaves its text: the contents rectangle less the margin on both sides and the
// effective indent on the text's side (half an "x" when none is set and the label has a frame).
int TextRoom(QLabel* label) {
    label->ensurePolished();
    int indent = label->indent();
    if (indent < 0) {
        indent =
            label->frameWidth() > 0
                ? label->fontMetrics().horizontalAdvance(QLatin1Char('x')) / 2 - label->margin()
                : 0;
    }
    return label->contentsRect().width() - 2 * label->margin() - std::max(indent, 0);
}

// The window's texts in the language, for a token of that role, each token pane fitting its own.
void ExpectTexts(CMainFrame& frame, LANGID lang, UINT role) {
    SCOPED_TRACE(testing::Message() << "language " << lang);
    QApplication::processEvents();
    EXPECT_EQ(frame.windowTitle().toStdWString(), LoadLangString(IDR_MAINFRAME, lang));
    EXPECT_EQ(TopMenuTexts(frame), ExpectedTopMenu(lang));
    const int refresh = frame.FrameToolBar()->FindButton(ID_VIEW_REFRESH, ID_VIEW_REFRESH);
    EXPECT_EQ(frame.FrameToolBar()->ButtonAction(refresh)->toolTip().toStdWString(),
              TooltipPart(LoadLangString(ID_VIEW_REFRESH, lang)));
    CFrameStatusBar* bar = frame.FrameStatusBar();
    EXPECT_EQ(bar->PaneText(CFrameStatusBar::kMessagePane).toStdWString(),
              LoadLangString(AFX_IDS_IDLEMESSAGE, lang));
    EXPECT_EQ(bar->PaneText(CFrameStatusBar::kAccessPane).toStdWString(),
              FormatString(LoadLangString(ID_INDICATOR_ACCESS, lang), LoadLangString(role, lang)));
    for (int pane = 0; pane < CFrameStatusBar::kMessagePane; ++pane) {
        QLabel* label = bar->Pane(pane);
        const QString text = label->text();
        ASSERT_FALSE(text.isEmpty()) << pane;
        EXPECT_GE(TextRoom(label), label->fontMetrics().horizontalAdvance(text))
            << "pane " << pane << ": " << text.toStdString() << " in " << label->width() << " px";
    }
}

// The middles of the widget's bottom and right edges are drawn as its top one, unlike the window.
void ExpectFullFrame(QWidget* widget, const char* what) {
    const QImage image = widget->grab().toImage();
    const int w = image.width();
    const int h = image.height();
    const QRgb top = image.pixel(w / 2, 0);
    EXPECT_EQ(image.pixel(w / 2, h - 1), top) << what << ": bottom edge unlike the top";
    EXPECT_EQ(image.pixel(w - 1, h / 2), top) << what << ": right edge unlike the top";
    EXPECT_NE(top, widget->palette().color(QPalette::Window).rgb()) << what;
}

}  // namespace

TEST(FrameLanguage, SwitchingReloadsTheTextsAndThePaneAndTheStatusPanesFitThemWithFullFrames) {
    FrameWorld world;
    English english;
    CMainFrame& frame = world.Start();
    ASSERT_TRUE(world.Open(W(kReader0)));
    ExpectTexts(frame, LANG_NEUTRAL_DEFAULT_ID, IDS_ROLE_GUEST);
    EXPECT_EQ(frame.windowTitle().toStdWString(), L"Velkora Certificates Browser");
    EXPECT_EQ(world.StatusPane(CFrameStatusBar::kMessagePane), L"Ready");
    for (int pane = 0; pane < CFrameStatusBar::kMessagePane; ++pane) {
        ExpectFullFrame(frame.FrameStatusBar()->Pane(pane), "status pane");
    }
    CEdit_Ex* detail = frame.RightView()->findChild<CEdit_Ex*>();
    ASSERT_NE(detail, nullptr);
    ExpectFullFrame(detail, "detail box");
    QWidget* paneBefore = frame.RightView();

    frame.OnCommand(ID_VIEW_SWITCH_LANGUAGE);
    ASSERT_EQ(GetUiLanguage(), LANG_RUSSIAN_ID);
    ExpectTexts(frame, LANG_RUSSIAN_ID, IDS_ROLE_GUEST);
    EXPECT_NE(frame.windowTitle().toStdWString(), L"Velkora Certificates Browser");
    // The selected node showed its pane again, made anew in the new language.
    EXPECT_NE(frame.RightView(), paneBefore);
    EXPECT_EQ(frame.SelectedNode()->GetPath(), W(kReader0));

    AnswerPrompt("12345678");
    frame.OnCommand(ID_ACTIONS_LOGIN);
    ASSERT_TRUE(SpinUntil([&] { return frame.IsCommandEnabled(ID_ACTIONS_LOGOUT); }));
    ExpectTexts(frame, LANG_RUSSIAN_ID, IDS_ROLE_USER);
    // The Russian menu's switch item goes back to English.
    frame.OnCommand(ID_VIEW_SWITCH_LANGUAGE);
    EXPECT_EQ(GetUiLanguage(), LANG_NEUTRAL_DEFAULT_ID);
    ExpectTexts(frame, LANG_NEUTRAL_DEFAULT_ID, IDS_ROLE_USER);
}
