// The help window as the user meets it: F1 on a control inside a modal wizard page and inside
// the certificate file dialog (its Help button too) opens the window's topic, usable over the
// modal window; the window's place and pane width survive a restart, a stored rectangle whose
// left is not below its right is ignored; a language switch rebuilds it in the other language
// on the same page; a missing or damaged help file gives a message and no window.
#include <QDialogButtonBox>
#include <QFile>
#include <QHelpEngine>
#include <QLineEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>
#include <QTimer>

#include "HelpFixture.h"
#include "gui/help/CHelpBrowser.h"
#include "gui/help/CHelpResourceHolder.h"
#include "gui/ui/frame/CQtUserInterface.h"
#include "gui/ui/frame/CWizardPage.h"
#include "platform/registry/Registry.h"
#include "platform/registry/UniqueHKey.h"
#include "platform/text/FormatString.h"
#include "program/app/LangResource.h"
#include "program/ops/pfximport/CPfxContext.h"
#include "program/ops/pfximport/PfxImportPages.h"
#include "res/resource.h"

namespace {

using helptest::HelpFixture;
using SHTMLHelper::EHelpTab;
using SHTMLHelper::SCHMFile::CHelpResourceHolder;

constexpr const wchar_t* kHelpKey = L"SOFTWARE\\Orvel\\Velkora\\vkCert\\HelpSettings";

// Runs `act` once the modal window of class T is up.
template <class T>
void OnModal(std::function<void(T*)> act) {
    auto poll = std::make_shared<std::function<void()>>();
    *poll = [act, poll] {
        if (auto* window = qobject_cast<T*>(QApplication::activeModalWidget())) {
            act(window);
        } else {
            QTimer::singleShot(10, *poll);
        }
    };
    QTimer::singleShot(0, *poll);
}

class HelpWindow : public HelpFixture {
protected:
    // Presses F1 in `control` and answers the topic the help window shows, and whether the
    // window took the input over the modal one it was called from; the window is closed then.
    std::pair<QString, bool> PressF1(QWidget* control) {
        QTest::keyClick(control, Qt::Key_F1);
        if (Window() == nullptr || !Window()->isVisible()) {
            return {};
        }
        const bool takesInput = QApplication::activeModalWidget() == Window();
        const QString topic = Window()->CurrentTopic();
        Window()->close();
        return {topic, takesInput};
    }

    void WriteState(std::initializer_list<std::pair<const wchar_t*, DWORD>> values) {
        UniqueHKey key;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kHelpKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, key.Put(), nullptr),
                  ERROR_SUCCESS);
        for (const auto& [name, value] : values) {
            ASSERT_EQ(RegSetValueExW(key.Get(), name, 0, REG_DWORD,
                                     reinterpret_cast<const BYTE*>(&value), sizeof value),
                      ERROR_SUCCESS);
        }
    }

    QWidget owner;
    CQtUserInterface qtUi;
};

TEST_F(HelpWindow, F1OnAControlOfAModalWizardPageOpensThePagesTopicOverThePage) {
    owner.show();
    qtUi.SetOwner(&owner);
    SPFXMaster::CPfxContext context;
    std::pair<QString, bool> seen;
    OnModal<CWizardPage>([&](CWizardPage* page) {
        QLineEdit* password = page->findChild<QLineEdit*>();
        ASSERT_NE(password, nullptr);
        seen = PressF1(password);
        page->reject();
    });
    qtUi.RunWizardPage(SPFXMaster::PasswordPage(context));
    EXPECT_EQ(seen.first, "9_CertificateImport_PFX.html");
    EXPECT_TRUE(seen.second);
    // Back over the main window, the help window no longer holds the input of the program.
    Help().ShowHelp(EHelpTab::Contents, "1_vkCert.html");
    EXPECT_EQ(Window()->windowModality(), Qt::NonModal);
    EXPECT_TRUE(ui.Boxes().empty());
}

TEST_F(HelpWindow, TheFileDialogsHelpButtonAndF1InItsNameFieldOpenItsTopic) {
    owner.show();
    qtUi.SetOwner(&owner);
    SFileDialogRequest request;
    request.filter = L"Certificate files(*.CER)|*.cer||";
    request.initialDirectory = world.Root().wstring();
    request.helpTopic = "7_CertificateImport.html";
    std::pair<QString, bool> byKey;
    QString byButton;
    OnModal<QDialog>([&](QDialog* dialog) {
        byKey = PressF1(dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")));
        auto* buttons = dialog->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
        ASSERT_NE(buttons, nullptr);
        ASSERT_NE(buttons->button(QDialogButtonBox::Help), nullptr);
        buttons->button(QDialogButtonBox::Help)->click();
        byButton = Window() != nullptr && Window()->isVisible() ? Window()->CurrentTopic() : "";
        Window()->close();
        dialog->reject();
    });
    qtUi.FileDialog(request);
    EXPECT_EQ(byKey.first, "7_CertificateImport.html");
    EXPECT_TRUE(byKey.second);
    EXPECT_EQ(byButton, "7_CertificateImport.html");
}

TEST_F(HelpWindow, ThePlaceAndPaneWidthSurviveARestartAndAClosedWindowKeepsItsLast) {
    ASSERT_TRUE(Help().ShowHelp(EHelpTab::Contents, "1_vkCert.html"));
    Window()->setGeometry(140, 110, 700, 500);
    Window()->findChild<QSplitter*>(QStringLiteral("helpSplitter"))->setSizes({300, 400});
    QApplication::processEvents();
    const SHTMLHelper::CHelpWindowState before = Window()->State();
    EXPECT_EQ(before.navWidth, 300);
    Window()->close();  // closed before the program ends: its last place is kept all the same
    Window()->setGeometry(0, 0, 300, 200);

    Uninstall();
    Install();
    ASSERT_TRUE(Help().ShowHelp(EHelpTab::Index, "1_vkCert.html"));
    QApplication::processEvents();
    const SHTMLHelper::CHelpWindowState after = Window()->State();
    EXPECT_EQ(after.left, 140);
    EXPECT_EQ(after.top, 110);
    EXPECT_EQ(after.right, 840);
    EXPECT_EQ(after.bottom, 610);
    EXPECT_EQ(after.navWidth, 300);
}

TEST_F(HelpWindow, AStoredRectangleWhoseLeftIsNotBelowItsRightIsNotRestored) {
    WriteState(
        {{L"left", 500}, {L"top", 100}, {L"right", 500}, {L"bottom", 600}, {L"iNavWidth", 180}});
    Install();
    ASSERT_TRUE(Help().ShowHelp(EHelpTab::Contents, "1_vkCert.html"));
    QApplication::processEvents();
    EXPECT_GT(Window()->width(), 300);  // the window's own size, not the empty rectangle
}

TEST_F(HelpWindow, ALanguageSwitchRebuildsTheOpenWindowInTheOtherLanguageOnTheSamePage) {
    ASSERT_TRUE(Help().ShowHelp(EHelpTab::Search, "5_Authentication.html"));
    SetUiLanguage(LANG_RUSSIAN_ID);
    ASSERT_NE(Window(), nullptr);
    EXPECT_TRUE(Window()->isVisible());
    EXPECT_EQ(Window()->windowTitle(), QStringLiteral("Справка vkCert"));
    EXPECT_EQ(Window()->CurrentTopic(), "5_Authentication.html");
    EXPECT_EQ(Window()->CurrentTab(), EHelpTab::Search);
    EXPECT_EQ(Window()->Tabs()->tabText(0), QStringLiteral("Содержание"));
    EXPECT_TRUE(Window()->Browser()->toPlainText().contains(QStringLiteral("PIN-код")));
}

using HelpMessages = HelpFixture;  // the messages recorded, not shown

TEST_F(HelpMessages, AMissingOrDamagedHelpFileGivesAMessageAndNoWindow) {
    auto files = std::make_shared<CHelpResourceHolder>();
    Help().SetHelpFile(files);
    EXPECT_FALSE(Help().ShowHelp(EHelpTab::Contents, "1_vkCert.html"));
    ASSERT_EQ(ui.Boxes().size(), 1u);
    EXPECT_EQ(ui.Boxes()[0].text, LoadLangString(IDS_HELP_FILE_MISSING));
    EXPECT_EQ(ui.Boxes()[0].caption, L"vkCert help");

    // The first half of the real file, and a file of text.
    QFile real(CHelpResourceHolder::ResourceOf(LANG_NEUTRAL_DEFAULT_ID));
    ASSERT_TRUE(real.open(QIODevice::ReadOnly));
    const QByteArray bytes = real.readAll();
    for (const QByteArray& damaged :
         {bytes.left(bytes.size() / 2), QByteArray("not a help file")}) {
        const QString path = QString::fromStdString((world.Root() / "vkcert_en.qch").string());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(damaged);
        file.close();
        files = std::make_shared<CHelpResourceHolder>();
        ASSERT_TRUE(files->ExtractFromResource(path, LANG_NEUTRAL_DEFAULT_ID));
        Help().SetHelpFile(files);
        const std::size_t shown = ui.Boxes().size();
        EXPECT_FALSE(Help().ShowTopic("2_MainWindow.html"));
        ASSERT_EQ(ui.Boxes().size(), shown + 1);
        EXPECT_EQ(ui.Boxes().back().text,
                  FormatString(LoadLangString(IDS_HELP_FILE_DAMAGED),
                               files->GetFilePath(LANG_NEUTRAL_DEFAULT_ID).toStdWString()));
        EXPECT_EQ(Window(), nullptr);
    }
}

}  // namespace
