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

TEST(BringToFront, RestoresMinimisedWindowsLeavesToolAndHiddenOnesActivatesTheDialogElseAWindow) {
    vktest::QtApp();
    QMainWindow main;
    main.show();
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(vktest::SpinUntil([&] { return QApplication::activeWindow() == &other; }));
    QWidget tool(nullptr, Qt::Tool);
    tool.show();
    tool.setWindowState(Qt::WindowMinimized);
    QWidget hidden;
    hidden.setWindowState(Qt::WindowMinimized);
    main.setWindowState(Qt::WindowMinimized | Qt::WindowMaximized);
    other.setWindowState(Qt::WindowMinimized);
    ASSERT_TRUE(main.isMinimized());

    BringWindowsToFront();

    EXPECT_FALSE(main.isMinimized());
    EXPECT_TRUE(main.isMaximized()) << "restoring keeps the maximised state";
    EXPECT_FALSE(other.isMinimized());
    EXPECT_TRUE(tool.isMinimized()) << "tool windows are left alone";
    EXPECT_FALSE(hidden.isVisible()) << "hidden windows are not shown";
    EXPECT_TRUE(main.isVisible());

    QDialog dialog(&main);
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.show();
    ASSERT_EQ(QApplication::activeModalWidget(), &dialog);
    other.activateWindow();
    vktest::SpinFor(50);

    BringWindowsToFront();

    EXPECT_TRUE(vktest::SpinUntil([&] { return QApplication::activeWindow() == &dialog; }, 3000));

    dialog.close();  // without a dialog
    other.hide();
    QWidget palette(nullptr, Qt::Tool);
    palette.show();
    palette.activateWindow();
    ASSERT_TRUE(vktest::SpinUntil([&] { return QApplication::activeWindow() == &palette; }, 3000));
    main.setWindowState(Qt::WindowMinimized);

    BringWindowsToFront();

    EXPECT_TRUE(vktest::SpinUntil([&] { return QApplication::activeWindow() == &main; }, 3000));
    EXPECT_FALSE(other.isVisible());
}

}  // namespace
