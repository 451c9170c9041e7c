// The token panes of the status bar as the window shows them: each one wide enough for its whole
// text (the label's own font, frame, contents margins, margin and indent counted) for a guest and
// a user, in English and in Russian; the panes and the detail box drawn with a full frame.
#include <gtest/gtest.h>

#include <QDialog>
#include <QDialogButtonBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <array>
#include <string>

#include "FrameTestWorld.h"
#include "gui/widgets/CEdit_Ex.h"
#include "platform/text/FormatString.h"
#include "program/app/UiLanguage.h"

using namespace frametest;

namespace {

// Types the PIN into the prompt once it is up and presses OK.
void AnswerPrompt(const char* pin) {
    auto answer = std::make_shared<std::function<void()>>();
    *answer = [pin, answer] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) {
            QTimer::singleShot(10, *answer);
            return;
        }
        dialog->findChild<QLineEdit*>("pin")->setText(QString::fromLatin1(pin));
        dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    };
    QTimer::singleShot(0, *answer);
}

struct EnglishAfterwards {
    ~EnglishAfterwards() { SetUiLanguage(LANG_NEUTRAL_DEFAULT_ID); }
};

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

void ExpectPanesFit(CMainFrame& frame, LANGID lang, UINT role) {
    QApplication::processEvents();
    CFrameStatusBar* bar = frame.FrameStatusBar();
    EXPECT_EQ(bar->PaneText(CFrameStatusBar::kAccessPane).toStdWString(),
              FormatString(LoadLangString(ID_INDICATOR_ACCESS, lang), LoadLangString(role, lang)));
    for (int pane = 0; pane < CFrameStatusBar::kMessagePane; ++pane) {
        QLabel* label = bar->Pane(pane);
        const QString text = label->text();
        ASSERT_FALSE(text.isEmpty()) << pane;
        EXPECT_GE(TextRoom(label), label->fontMetrics().horizontalAdvance(text))
            << "language " << lang << ", pane " << pane << ": " << text.toStdString() << " in "
            << label->width() << " px";
    }
}

// The colours of the middle of a widget's top, bottom, left and right edges as it draws itself.
std::array<QRgb, 4> Edges(QWidget* widget) {
    const QImage image = widget->grab().toImage();
    const int w = image.width();
    const int h = image.height();
    return {image.pixel(w / 2, 0), image.pixel(w / 2, h - 1), image.pixel(0, h / 2),
            image.pixel(w - 1, h / 2)};
}

void ExpectFullFrame(QWidget* widget, const char* what) {
    const std::array<QRgb, 4> edges = Edges(widget);
    EXPECT_EQ(edges[1], edges[0]) << what << ": bottom edge unlike the top";
    EXPECT_EQ(edges[3], edges[0]) << what << ": right edge unlike the top";
    EXPECT_NE(edges[0], widget->palette().color(QPalette::Window).rgb()) << what;
}

}  // namespace

TEST(StatusPanes, FitTheWholeTextForGuestAndUserInBothLanguagesAndHaveFullFrames) {
    FrameWorld world;
    CLanguageEventDelivery delivery;
    EnglishAfterwards english;
    SetUiLanguage(LANG_NEUTRAL_DEFAULT_ID);
    CMainFrame& frame = world.Start();
    ASSERT_TRUE(world.Open(W(kReader0)));
    ExpectPanesFit(frame, LANG_NEUTRAL_DEFAULT_ID, IDS_ROLE_GUEST);
    for (int pane = 0; pane < CFrameStatusBar::kMessagePane; ++pane) {
        ExpectFullFrame(frame.FrameStatusBar()->Pane(pane), "status pane");
    }
    CEdit_Ex* detail = frame.RightView()->findChild<CEdit_Ex*>();
    ASSERT_NE(detail, nullptr);
    ExpectFullFrame(detail, "detail box");

    frame.OnCommand(ID_VIEW_SWITCH_LANGUAGE);
    ASSERT_EQ(GetUiLanguage(), LANG_RUSSIAN_ID);
    ExpectPanesFit(frame, LANG_RUSSIAN_ID, IDS_ROLE_GUEST);

    ASSERT_TRUE(world.Open(W(kReader1)));
    AnswerPrompt("1111");
    frame.OnCommand(ID_ACTIONS_LOGIN);
    ASSERT_TRUE(SpinUntil([&] { return frame.IsCommandEnabled(ID_ACTIONS_LOGOUT); }));
    ExpectPanesFit(frame, LANG_RUSSIAN_ID, IDS_ROLE_USER);
    frame.OnCommand(ID_VIEW_SWITCH_LANGUAGE);
    ExpectPanesFit(frame, LANG_NEUTRAL_DEFAULT_ID, IDS_ROLE_USER);
}
