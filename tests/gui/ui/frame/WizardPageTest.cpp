// Wizard pages on Qt through the UI seam: the first page centred over the main window and a
// moved page handing its corner to the next, the length limit's message with the text kept,
// a refused value keeping the page open, a page's own button, the progress page deaf to Enter
// and Escape, and slow work leaving the window's events running. The wizard's logic is tested
// headless (tests/program/ops).
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

#include "gui/ui/frame/CQtUserInterface.h"
#include "gui/ui/frame/CWizardPage.h"
#include "program/ops/pfxexport/CExpPfxContext.h"
#include "program/ops/pfxexport/PfxExportPages.h"
#include "program/ops/pfximport/CPfxContext.h"
#include "program/ops/pfximport/PfxImportPages.h"
#include "res/resource.h"
#include "support/gui/QtApp.h"

namespace {

// Closes the next message box once it is up and keeps its text.
void CloseNextBox(QString* text) {
    QTimer::singleShot(30, [text] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            *text = box->text();
            box->accept();
        }
    });
}

// Runs `act` on the page once it is up.
void OnNextPage(std::function<void(CWizardPage*)> act) {
    QTimer::singleShot(0, [act] {
        auto* page = qobject_cast<CWizardPage*>(QApplication::activeModalWidget());
        ASSERT_NE(page, nullptr);
        act(page);
    });
}

class WizardPages : public ::testing::Test {
protected:
    WizardPages() {
        owner.setGeometry(120, 90, 900, 640);
        owner.show();
        ui.SetOwner(&owner);
    }

    QApplication& app = vktest::QtApp();
    QWidget owner;
    CQtUserInterface ui;
    SPFXMaster::CPfxContext context;
};

TEST_F(WizardPages, TheFirstPageIsCentredAndAMovedPageHandsItsCornerToTheNext) {
    QPoint centreOffset;
    QString limitText;
    OnNextPage([&](CWizardPage* page) {
        centreOffset = page->frameGeometry().center() - owner.frameGeometry().center();
        page->move(page->pos() + QPoint(37, 23));
        auto* edit = page->ControlAs<QLineEdit>(IDC_PASSWORD);
        EXPECT_EQ(page->focusWidget(), edit);
        CloseNextBox(&limitText);
        QTest::keyClicks(edit, QString(33, QLatin1Char('p')));
        EXPECT_EQ(edit->text().size(), 32);
        page->ControlAs<QPushButton>(IDOK)->click();
    });
    const SWizardPageResult first = ui.RunWizardPage(SPFXMaster::PasswordPage(context));
    EXPECT_EQ(first.endCode, IDOK);
    EXPECT_EQ(first.values.texts.at(IDC_PASSWORD), std::wstring(32, L'p'));
    EXPECT_LE(std::abs(centreOffset.x()) + std::abs(centreOffset.y()), 40);
    EXPECT_EQ(limitText.toStdWString(), SPFXMaster::PasswordPage(context).limitMessage);
    ASSERT_TRUE(context.position.saved);
    const QPoint moved(context.position.x, context.position.y);

    // The next page opens where the last one was left; its own button and its check work.
    QString refusal;
    QPoint opened;
    OnNextPage([&](CWizardPage* page) {
        opened = page->pos();
        auto* name = page->ControlAs<QLineEdit>(IDC_CONTAINER_NAME);
        const QString offered = name->text();
        page->ControlAs<QPushButton>(IDC_UNIQUE_NAME)->click();
        EXPECT_NE(name->text(), offered);
        name->clear();
        CloseNextBox(&refusal);
        page->ControlAs<QPushButton>(IDOK)->click();
        QTest::qWait(100);
        EXPECT_TRUE(page->isVisible());
        QTest::keyClick(page, Qt::Key_Escape);
    });
    const SWizardPageResult second = ui.RunWizardPage(SPFXMaster::ContainerPage(context));
    EXPECT_EQ(second.endCode, IDCANCEL);
    EXPECT_EQ(opened, moved);
    EXPECT_FALSE(refusal.isEmpty());

    // "< Back" where the page enables it.
    OnNextPage([](CWizardPage* page) { page->ControlAs<QPushButton>(IDC_BACK)->click(); });
    EXPECT_EQ(ui.RunWizardPage(SPFXMaster::ErrorPage(context, 0, L"wrong", true)).endCode,
              kWizardBack);
}

TEST_F(WizardPages, TheExportPasswordPageGoesOnOnlyWithTwoEqualPasswords) {
    SEXPPFXMaster::CExpPfxContext exportContext;
    std::vector<bool> forward;
    OnNextPage([&](CWizardPage* page) {
        auto* next = page->ControlAs<QPushButton>(IDOK);
        auto* password = page->ControlAs<QLineEdit>(IDC_PASSWORD);
        auto* confirmation = page->ControlAs<QLineEdit>(IDC_CONFIRM_PASSWORD);
        forward.push_back(next->isEnabled());
        QTest::keyClicks(password, QStringLiteral("Secret"));
        QTest::keyClicks(confirmation, QStringLiteral("secret"));
        forward.push_back(next->isEnabled());
        confirmation->clear();
        QTest::keyClicks(confirmation, QStringLiteral("Secret"));
        forward.push_back(next->isEnabled());
        next->click();
    });
    const SWizardPageResult page = ui.RunWizardPage(SEXPPFXMaster::PasswordPage(exportContext));
    EXPECT_EQ(forward, (std::vector<bool>{false, false, true}));
    EXPECT_EQ(page.endCode, IDOK);
    EXPECT_EQ(page.values.texts.at(IDC_PASSWORD), L"Secret");
}

TEST_F(WizardPages, AProgressPageIgnoresEnterAndEscapeAndSlowWorkLeavesTheEventsRunning) {
    auto progress = ui.ShowProgressPage(SPFXMaster::ProgressPage(context, 0, L"working"));
    auto* page = qobject_cast<CWizardPage*>(QApplication::activeModalWidget());
    ASSERT_NE(page, nullptr);
    QTest::keyClick(page, Qt::Key_Escape);
    QTest::keyClick(page, Qt::Key_Return);
    EXPECT_TRUE(page->isVisible());

    // The work waits for a timer of the window thread: it only fires if events keep running.
    std::atomic<bool> fired{false};
    QTimer::singleShot(20, [&] { fired = true; });
    bool seen = false;
    ui.RunOffWindowThread([&] {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!fired && std::chrono::steady_clock::now() < until) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        seen = fired;
    });
    EXPECT_TRUE(seen);
    EXPECT_THROW(ui.RunOffWindowThread([] { throw std::runtime_error("work failed"); }),
                 std::runtime_error);
    progress.reset();
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

}  // namespace
