// The Qt side of the UI seam: message boxes answered through their buttons, the wait cursor
// nesting, file filters in Qt's form, popup menus answering the chosen command, and the seam
// installed and given back. What the program shows through it is tested where it is shown.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMenu>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include "gui/resources/LangMenuBuilder.h"
#include "gui/ui/frame/CQtUserInterface.h"
#include "res/resource.h"
#include "support/gui/QtApp.h"

namespace {

// Presses the button with that role of the next message box once it is up.
void AnswerNextBox(QMessageBox::StandardButton button, std::wstring* seenText) {
    QTimer::singleShot(0, [button, seenText] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        *seenText = box->text().toStdWString();
        box->button(button)->click();
    });
}

}  // namespace

TEST(QtUserInterface, MessageBoxesAndPopupMenusAnswerWhatWasChosen) {
    vktest::QtApp();
    CQtUserInterface ui;
    const struct {
        QMessageBox::StandardButton press;
        UINT type;
        int answer;
    } cases[] = {{QMessageBox::No, MB_YESNO | MB_ICONQUESTION, IDNO},
                 {QMessageBox::Yes, MB_YESNOCANCEL, IDYES},
                 {QMessageBox::Cancel, MB_OKCANCEL, IDCANCEL},
                 {QMessageBox::Ok, MB_OK | MB_ICONINFORMATION, IDOK}};
    for (const auto& c : cases) {
        std::wstring seen;
        AnswerNextBox(c.press, &seen);
        EXPECT_EQ(ui.MessageBox(L"Go on?", L"vkCert", c.type), c.answer);
        EXPECT_EQ(seen, L"Go on?");
    }

    // A popup menu answers the chosen command, or zero when it is closed.
    CMenu menu;
    menu.Items().push_back(CMenuItem::Command(ID_ACTIONS_IMPORT_CERT, L"&Import"));
    menu.Items().push_back(CMenuItem::Separator());
    menu.Items().push_back(CMenuItem::Command(ID_ACTIONS_LOGIN, L"&Login"));
    QTimer::singleShot(0, [] {
        auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(popup, nullptr);
        QAction* login = CLangMenuBuilder::FindAction(popup, ID_ACTIONS_LOGIN);
        ASSERT_NE(login, nullptr);
        popup->setActiveAction(login);
        QTest::keyClick(popup, Qt::Key_Return);
    });
    EXPECT_EQ(ui.TrackPopupMenu(menu, 10, 10), UINT{ID_ACTIONS_LOGIN});

    QTimer::singleShot(0, [] {
        if (QWidget* popup = QApplication::activePopupWidget()) {
            popup->close();
        }
    });
    EXPECT_EQ(ui.TrackPopupMenu(menu, 10, 10), 0u);
}

TEST(QtUserInterface, TheWaitCursorIsSetOnceAndTheSeamAndCursorGoWithTheImplementation) {
    vktest::QtApp();
    IUserInterface* before = &GetUserInterface();
    ASSERT_EQ(QApplication::overrideCursor(), nullptr);
    {
        CQtUserInterface ui;
        {
            CQtUserInterface inner;
            EXPECT_EQ(&GetUserInterface(), &inner);
        }
        EXPECT_EQ(&GetUserInterface(), &ui);
        EXPECT_EQ(ui.SetCursor(IDC_WAIT), IDC_ARROW);
        ASSERT_NE(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        // A second wait does not stack a second override.
        EXPECT_EQ(ui.SetCursor(IDC_WAIT), IDC_WAIT);
        EXPECT_EQ(ui.SetCursor(IDC_ARROW), IDC_WAIT);
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(ui.SetCursor(IDC_ARROW), IDC_ARROW);
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
        ui.SetCursor(IDC_WAIT);
    }
    EXPECT_EQ(&GetUserInterface(), before);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(QtUserInterface, FileFiltersBecomeQtNameFilters) {
    EXPECT_EQ(CQtUserInterface::NameFilters(
                  L"DER encoded binary X.509 (*.CER)|*.cer|Base-64 encoded X.509 (*.CER)|*.cer||"),
              (QStringList{QStringLiteral("DER encoded binary X.509 (*.CER) (*.cer)"),
                           QStringLiteral("Base-64 encoded X.509 (*.CER) (*.cer)")}));
    EXPECT_EQ(CQtUserInterface::NameFilters(L"Certificates|*.cer;*.crt||"),
              QStringList{QStringLiteral("Certificates (*.cer *.crt)")});
    // Text after the terminating "||" and a name without pattern are not filters.
    EXPECT_EQ(CQtUserInterface::NameFilters(L"A|*.a||B|*.b||"),
              QStringList{QStringLiteral("A (*.a)")});
    EXPECT_TRUE(CQtUserInterface::NameFilters(L"").isEmpty());
    EXPECT_TRUE(CQtUserInterface::NameFilters(L"Lonely name").isEmpty());
}
