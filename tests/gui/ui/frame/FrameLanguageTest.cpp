// The language switch as the main window shows it: menu, title, tool bar tooltips, status texts
// and the selected node's pane reloaded in Russian and back; and pictures of the window in both
// languages, written into the build folder for a person to look at.
#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QImage>
#include <QMenuBar>

#include "FrameTestWorld.h"
#include "program/app/UiLanguage.h"
#include "platform/text/FormatString.h"
#include "gui/ui/frame/CFrameStatusBar.h"
#include "gui/ui/frame/CFrameToolBar.h"
#include "gui/ui/frame/CommandTexts.h"

using namespace frametest;

namespace {

constexpr UINT kCmdSwitchLanguage = 139;

std::vector<std::wstring> TopMenuTexts(CMainFrame& frame) {
    std::vector<std::wstring> texts;
    for (QAction* action : frame.menuBar()->actions()) {
        texts.push_back(action->text().toStdWString());
    }
    return texts;
}

std::vector<std::wstring> ExpectedTopMenu(LANGID lang) {
    std::vector<std::wstring> texts;
    const std::optional<CMenu> menu = LoadLangMenu(128, lang);
    if (menu) {
        for (const CMenuItem& item : menu->Items()) {
            texts.push_back(item.text);
        }
    }
    return texts;
}

// Back to English whatever a test left.
struct EnglishAfterwards {
    ~EnglishAfterwards() { SetUiLanguage(LANG_NEUTRAL_DEFAULT_ID); }
};

void SavePicture(CMainFrame& frame, const char* name) {
    const QString folder = QString::fromStdString((vktest::BinaryDir() / "screenshots").string());
    QDir().mkpath(folder);
    const QString file = folder + QLatin1Char('/') + QLatin1String(name);
    const QImage picture = frame.grab().toImage();
    ASSERT_TRUE(picture.save(file, "PNG"));
    const QImage back(file);
    EXPECT_EQ(back.size(), picture.size());
    // Not one flat colour: the window drew something.
    EXPECT_NE(back.pixel(back.width() / 4, back.height() / 3), back.pixel(5, back.height() - 5));
}

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

    frame.OnCommand(kCmdSwitchLanguage);
    ASSERT_EQ(GetUiLanguage(), LANG_RUSSIAN_ID);
    EXPECT_EQ(frame.windowTitle().toStdWString(), LoadLangString(128, LANG_RUSSIAN_ID));
    EXPECT_NE(frame.windowTitle().toStdWString(), L"Velkora Certificates Browser");
    EXPECT_EQ(TopMenuTexts(frame), ExpectedTopMenu(LANG_RUSSIAN_ID));
    EXPECT_NE(TopMenuTexts(frame), ExpectedTopMenu(LANG_NEUTRAL_DEFAULT_ID));
    EXPECT_EQ(
        world.StatusPane(CFrameStatusBar::kAccessPane),
        FormatString(LoadLangString(171, LANG_RUSSIAN_ID), LoadLangString(175, LANG_RUSSIAN_ID)));
    EXPECT_NE(world.StatusPane(CFrameStatusBar::kAccessPane), englishAccess);
    EXPECT_EQ(world.StatusPane(CFrameStatusBar::kMessagePane),
              LoadLangString(57345, LANG_RUSSIAN_ID));
    const int refresh = frame.FrameToolBar()->FindButton(137, 137);
    EXPECT_EQ(frame.FrameToolBar()->ButtonAction(refresh)->toolTip().toStdWString(),
              TooltipPart(LoadLangString(137, LANG_RUSSIAN_ID)));
    // The selected node showed its pane again, made anew in the new language.
    QApplication::processEvents();
    EXPECT_NE(frame.RightView(), paneBefore);
    EXPECT_EQ(frame.SelectedNode()->GetPath(), W(kReader1));

    // The Russian menu's switch item goes back to English.
    frame.OnCommand(kCmdSwitchLanguage);
    EXPECT_EQ(GetUiLanguage(), LANG_NEUTRAL_DEFAULT_ID);
    EXPECT_EQ(frame.windowTitle().toStdWString(), L"Velkora Certificates Browser");
    EXPECT_EQ(TopMenuTexts(frame), ExpectedTopMenu(LANG_NEUTRAL_DEFAULT_ID));
    EXPECT_EQ(world.StatusPane(CFrameStatusBar::kAccessPane), englishAccess);
    EXPECT_EQ(world.StatusPane(CFrameStatusBar::kMessagePane), L"Ready");
}

TEST(FrameLanguage, PicturesOfTheWindowInEnglishAndRussian) {
    FrameWorld world;
    CLanguageEventDelivery delivery;
    EnglishAfterwards english;
    SetUiLanguage(LANG_NEUTRAL_DEFAULT_ID);
    CMainFrame& frame = world.Start();
    frame.resize(1000, 640);
    ASSERT_TRUE(world.Open(W(kReader0) + L"\\Ivanov-2026\\Exchange"));
    world.Expand(world.Find(W(kReader0) + L"\\Petrova-signing"));
    world.Expand(world.Find(W(kReader1)));
    world.Frame().SelectNode(world.Find(W(kReader0) + L"\\Ivanov-2026\\Exchange").get());
    SpinFor(300);
    SavePicture(frame, "main-window-en.png");

    SetUiLanguage(LANG_RUSSIAN_ID);
    SpinFor(300);
    SavePicture(frame, "main-window-ru.png");
}
