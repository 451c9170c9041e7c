// The About dialog as the Help menu's About command opens it: built on its template in English
// and Russian with the program's version and legal notice, the module found beside the program
// above the run-time libraries, the columns at 25/20/55 of the list's width, no row left
// selected by a click or a key, and the texts following a language switch while it is open. The
// rows themselves are tested below the dialog (tests/program/modules).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QTimer>
#include <QTreeView>
#include <QtTest/QTest>
#include <filesystem>

#include "gui/resources/LanguageEvents.h"
#include "gui/ui/frame/CAboutDlg.h"
#include "gui/ui/frame/CMainFrame.h"
#include "platform/version/CFileVersionInfo.h"
#include "program/app/UiLanguage.h"
#include "res/resource.h"
#include "support/TempWorld.h"
#include "support/gui/QtApp.h"

namespace {

namespace fs = std::filesystem;

QString StampedVersion() {
    SFileVersions::CFileVersionInfo info(VKCERT);
    return QString::fromStdWString(info.GetString(info.GetTranslations().at(0), L"FileVersion"));
}

class AboutDialogTest : public testing::Test {
protected:
    AboutDialogTest() {
        vktest::QtApp();
        fs::copy_file(VKTOKEN, m_world.Root() / "vktoken");
        SetUiLanguage(LANG_NEUTRAL_DEFAULT_ID);
    }
    ~AboutDialogTest() override { SetUiLanguage(LANG_NEUTRAL_DEFAULT_ID); }

    QString Text(const CAboutDlg& dialog, UINT id) {
        const auto* label = dialog.ControlAs<QLabel>(id);
        return label ? label->text() : QString("(none)");
    }

    QStringList Column(const QTreeView& list, int column) {
        QStringList texts;
        for (int row = 0; row < list.model()->rowCount(); ++row) {
            texts << list.model()->index(row, column).data().toString();
        }
        return texts;
    }

    vktest::TempWorld m_world;
};

}  // namespace

TEST_F(AboutDialogTest, ShowsVersionNoticeModulesAndLibrariesInBothLanguagesAt25To20To55) {
    const struct {
        LANGID lang;
        const char* caption;
        QStringList headings;
        const char* versionPrefix;
    } languages[] = {
        {LANG_NEUTRAL_DEFAULT_ID,
         "About vkCert",
         {"File name", "Version", "Description"},
         "vkCert Version "},
        {LANG_RUSSIAN_ID,
         "О программе vkCert",
         {"Имя файла", "Версия", "Описание"},
         "Версия vkCert: "},
    };
    for (const auto& l : languages) {
        SetUiLanguage(l.lang);
        CAboutDlg dialog(nullptr, VKCERT, m_world.Root());
        ASSERT_TRUE(dialog.IsBuilt());
        EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8(l.caption));
        EXPECT_EQ(Text(dialog, IDC_VERSION_TEXT),
                  QString::fromUtf8(l.versionPrefix) + StampedVersion());
        EXPECT_TRUE(Text(dialog, IDC_LEGAL_TEXT).startsWith("Copyright"));
        QTreeView* list = dialog.ModuleList();
        ASSERT_NE(list, nullptr);
        QStringList headings;
        for (int column = 0; column < list->model()->columnCount(); ++column) {
            headings << list->model()->headerData(column, Qt::Horizontal).toString();
        }
        EXPECT_EQ(headings, l.headings);
        EXPECT_EQ(Column(*list, 0).join(' '),
                  "vktoken libcrypto.so.3 libsqlite3.so.0 libQt6Core.so.6");
        EXPECT_EQ(list->model()->index(0, 1).data().toString(), StampedVersion());
        EXPECT_EQ(Column(*list, 2).join(' ').toStdString(),
                  "Velkora virtual token administration OpenSSL SQLite Qt");
        EXPECT_EQ(Column(*list, 1).at(3), QString::fromLatin1(qVersion()));
        const int client = list->contentsRect().width();
        EXPECT_EQ(QList({list->columnWidth(0), list->columnWidth(1), list->columnWidth(2)}),
                  QList({25 * client / 100, 20 * client / 100, 55 * client / 100}));
    }
}

TEST_F(AboutDialogTest, AProgramWithoutAStampShowsAnEmptyVersionAndNotice) {
    const fs::path self = fs::read_symlink("/proc/self/exe");
    CAboutDlg dialog(nullptr, self, m_world.Root() / "nothing here");
    EXPECT_EQ(Text(dialog, IDC_VERSION_TEXT), "vkCert Version ");
    EXPECT_EQ(Text(dialog, IDC_LEGAL_TEXT), "");
    EXPECT_EQ(dialog.ModuleList()->model()->rowCount(), 3);  // the libraries only
}

TEST_F(AboutDialogTest, NoRowStaysSelected) {
    CAboutDlg dialog(nullptr, VKCERT, m_world.Root());
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    QTreeView* list = dialog.ModuleList();
    const QRect second = list->visualRect(list->model()->index(1, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, second.center());
    EXPECT_TRUE(list->selectionModel()->hasSelection());  // until the posted clearing runs
    QApplication::processEvents();
    EXPECT_FALSE(list->selectionModel()->hasSelection());
    EXPECT_FALSE(list->currentIndex().isValid());

    list->setFocus();
    QTest::keyClick(list, Qt::Key_Down);
    QApplication::processEvents();
    EXPECT_FALSE(list->selectionModel()->hasSelection());
    EXPECT_FALSE(list->currentIndex().isValid());
}

TEST_F(AboutDialogTest, TextsFollowALanguageSwitchWhileOpen) {
    CLanguageEventDelivery delivery;
    CAboutDlg dialog(nullptr, VKCERT, m_world.Root());
    SetUiLanguage(LANG_RUSSIAN_ID);
    EXPECT_EQ(Text(dialog, IDC_VERSION_TEXT), QString("Версия vkCert: ") + StampedVersion());
    EXPECT_TRUE(Text(dialog, IDC_LEGAL_TEXT).startsWith("Copyright"));
    EXPECT_EQ(dialog.ModuleList()->model()->headerData(0, Qt::Horizontal).toString(), "Имя файла");
    EXPECT_EQ(dialog.ModuleList()->model()->rowCount(), 4);
}

TEST_F(AboutDialogTest, TheAboutCommandOpensItModallyOverTheWindow) {
    CMainFrame frame;
    ASSERT_TRUE(frame.Create());
    QString seen;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto* about = qobject_cast<CAboutDlg*>(QApplication::activeModalWidget())) {
            seen = about->windowTitle();
            EXPECT_EQ(about->parentWidget(), &frame);
            about->accept();
        }
    });
    poll.start(10);
    EXPECT_TRUE(frame.IsCommandEnabled(ID_APP_ABOUT));
    frame.OnCommand(ID_APP_ABOUT);
    EXPECT_EQ(seen, "About vkCert");
}
