// Bringing the program's windows to the front: minimised ones come back, hidden and tool windows
// are left, and the open modal dialog (else the main window) ends up active.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QMainWindow>
#include <QWidget>

#include "SessionBus.h"
#include "desktop/BringWindowsToFront.h"
#include "support/gui/QtApp.h"

namespace {

class BringToFront : public ::testing::Test {
protected:
    void SetUp() override {
        m_main.setWindowTitle("main");
        m_main.show();
        m_other.setWindowTitle("other");
        m_other.show();
        m_other.activateWindow();
        ASSERT_TRUE(vktest::SpinUntil([&] { return QApplication::activeWindow() == &m_other; }));
    }

    QApplication& m_app = vktest::QtApp();  // before the windows
    QMainWindow m_main;
    QWidget m_other;
};

TEST_F(BringToFront, RestoresMinimisedWindowsLeavesToolAndHiddenOnesActivatesTheDialogElseAWindow) {
    QWidget tool(nullptr, Qt::Tool);
    tool.show();
    tool.setWindowState(Qt::WindowMinimized);
    QWidget hidden;
    hidden.setWindowState(Qt::WindowMinimized);
    m_main.setWindowState(Qt::WindowMinimized | Qt::WindowMaximized);
    m_other.setWindowState(Qt::WindowMinimized);
    ASSERT_TRUE(m_main.isMinimized());

    BringWindowsToFront();

    EXPECT_FALSE(m_main.isMinimized());
    EXPECT_TRUE(m_main.isMaximized()) << "restoring keeps the maximised state";
    EXPECT_FALSE(m_other.isMinimized());
    EXPECT_TRUE(tool.isMinimized()) << "tool windows are left alone";
    EXPECT_FALSE(hidden.isVisible()) << "hidden windows are not shown";
    EXPECT_TRUE(m_main.isVisible());

    QDialog dialog(&m_main);
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.show();
    ASSERT_EQ(QApplication::activeModalWidget(), &dialog);
    m_other.activateWindow();
    vktest::SpinFor(50);

    BringWindowsToFront();

    EXPECT_TRUE(vktest::SpinUntil([&] { return QApplication::activeWindow() == &dialog; }, 3000));

    dialog.close();  // without a dialog
    m_other.hide();
    QWidget palette(nullptr, Qt::Tool);
    palette.show();
    palette.activateWindow();
    ASSERT_TRUE(vktest::SpinUntil([&] { return QApplication::activeWindow() == &palette; }, 3000));
    m_main.setWindowState(Qt::WindowMinimized);

    BringWindowsToFront();

    EXPECT_TRUE(vktest::SpinUntil([&] { return QApplication::activeWindow() == &m_main; }, 3000));
    EXPECT_FALSE(m_other.isVisible());
}

}  // namespace
