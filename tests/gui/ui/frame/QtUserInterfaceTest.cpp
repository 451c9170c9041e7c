// The Qt side of the UI seam: message boxes answered through their buttons, the wait cursor
// nesting, file filters in Qt's form, file dialogs, popup menus answering the chosen command,
// and the seam installed and given back. What the program shows through it is tested where it
// is shown.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <fstream>

#include "gui/resources/LangMenuBuilder.h"
#include "gui/ui/frame/CCheckedFileDialog.h"
#include "gui/ui/frame/CQtUserInterface.h"
#include "program/app/LangResource.h"
#include "res/resource.h"
#include "support/TempWorld.h"
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

int g_qtBoxes = 0;  // message boxes of Qt's own met by Confirm

// Types the name into the file dialog and presses Enter: whether OK was enabled, and whether
// the dialog stays open. A message box of Qt's own coming up meanwhile is closed and counted.
std::pair<bool, bool> Confirm(QFileDialog* dialog, const char* name) {
    auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    edit->setText(QString::fromUtf8(name));
    QTest::qWait(20);
    const bool ok = dialog->findChild<QDialogButtonBox*>()->buttons().constFirst()->isEnabled();
    QTimer::singleShot(100, [] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            ++g_qtBoxes;
            box->reject();
        }
    });
    QTest::keyClick(edit, Qt::Key_Return);
    return {ok, dialog->isVisible()};
}

// Runs `act` on the next file dialog, then rejects it if still open.
void WithNextFileDialog(std::function<void(QFileDialog*)> act) {
    QTimer::singleShot(0, [act = std::move(act)] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        act(dialog);
        if (dialog->isVisible()) {
            dialog->reject();
        }
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
    EXPECT_EQ(CCheckedFileDialog::NameFilters(
                  L"DER encoded binary X.509 (*.CER)|*.cer|Base-64 encoded X.509 (*.CER)|*.cer||"),
              (QStringList{QStringLiteral("DER encoded binary X.509 (*.CER) (*.cer)"),
                           QStringLiteral("Base-64 encoded X.509 (*.CER) (*.cer)")}));
    EXPECT_EQ(CCheckedFileDialog::NameFilters(L"Certificates|*.cer;*.crt||"),
              QStringList{QStringLiteral("Certificates (*.cer *.crt)")});
    // Text after the terminating "||" and a name without pattern are not filters.
    EXPECT_EQ(CCheckedFileDialog::NameFilters(L"A|*.a||B|*.b||"),
              QStringList{QStringLiteral("A (*.a)")});
    EXPECT_TRUE(CCheckedFileDialog::NameFilters(L"").isEmpty());
    EXPECT_TRUE(CCheckedFileDialog::NameFilters(L"Lonely name").isEmpty());
}

TEST(QtUserInterface, FileDialogsConfirmOnlyFilesThatPassAndTheAcceptHookTakes) {
    vktest::QtApp();
    vktest::TempWorld world;
    const std::filesystem::path folder = world.Root() / "files";
    std::filesystem::create_directory(folder);
    for (const char* name : {"a.CER", "bad.cer", "c.txt", "old.cer"}) {
        std::ofstream(folder / name) << "x";
    }
    CQtUserInterface ui;
    std::vector<std::pair<std::wstring, int>> accepted;
    SFileDialogRequest open;
    open.filter = L"Certificates(*.CER)|*.cer||";
    open.initialDirectory = folder.wstring();
    open.check = [](const std::wstring& path) { return !path.ends_with(L"bad.cer"); };
    open.accept = [&](const std::wstring& path, int index) {
        accepted.emplace_back(path, index);
        return accepted.size() % 2 == 0;  // every first confirmation is refused
    };
    WithNextFileDialog([&](QFileDialog* d) {
        EXPECT_EQ(d->directory().absolutePath().toStdWString(), folder.wstring());
        // Listed whatever the case of the name; c.txt is not.
        auto* list = d->findChild<QListView*>(QStringLiteral("listView"));
        EXPECT_TRUE(
            QTest::qWaitFor([&] { return list->model()->rowCount(list->rootIndex()) == 3; }));
        EXPECT_EQ(Confirm(d, "bad.cer"), std::pair(false, true));
        EXPECT_EQ(Confirm(d, "a.CER"), std::pair(true, true));
        EXPECT_EQ(Confirm(d, "a.CER"), std::pair(true, false));
    });
    std::optional<SFileDialogResult> chosen = ui.FileDialog(open);
    const std::wstring aCer = (folder / "a.CER").wstring();
    EXPECT_EQ(accepted, (std::vector<std::pair<std::wstring, int>>{{aCer, 1}, {aCer, 1}}));
    EXPECT_EQ(chosen.value_or(SFileDialogResult{}).path, aCer);

    // Saving over a file asks nothing of Qt's own: the accept hook decides.
    SFileDialogRequest save = open;
    save.open = false;
    save.filter = L"DER|*.cer|Base64|*.cer||";
    save.defaultExtension = L"cer";
    save.check = nullptr;
    save.helpTopic = "export";
    WithNextFileDialog([&](QFileDialog* d) {
        EXPECT_EQ(d->property("helpTopic").toString(), QStringLiteral("export"));
        QPushButton* help = d->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Help);
        ASSERT_NE(help, nullptr);
        // No help is installed here: the help says its file is missing, the dialog stays.
        QTest::qWait(150);  // the closers of the dialog before have run
        QString said;
        QTimer::singleShot(50, [&said] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                said = box->text();
                box->accept();
            }
        });
        help->click();
        EXPECT_EQ(said.toStdWString(), LoadLangString(IDS_HELP_FILE_MISSING));
        d->selectNameFilter(d->nameFilters().value(1));
        EXPECT_EQ(Confirm(d, "old"), std::pair(true, true));
        EXPECT_EQ(Confirm(d, "old"), std::pair(true, false));
    });
    chosen = ui.FileDialog(save);
    EXPECT_EQ(g_qtBoxes, 0);
    const std::wstring old = (folder / "old.cer").wstring();
    EXPECT_EQ(accepted.back(), std::pair(old, 2));
    EXPECT_EQ(chosen.value_or(SFileDialogResult{}).path, old);
}
