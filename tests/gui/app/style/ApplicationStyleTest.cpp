// The program's style: a window with a tool bar and a menu bar shows without Qt loading any
// image format plugin, the extension button of an overflowing tool bar still shows its arrows,
// and the other standard icons are the platform style's.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QMainWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <QStyleOption>
#include <QToolBar>
#include <QToolButton>
#include <fstream>
#include <string>

#include "gui/app/ApplicationStyle.h"
#include "support/ChildProcess.h"
#include "support/gui/QtApp.h"

namespace {

bool ImagePluginLoaded() {
    std::ifstream maps("/proc/self/maps");
    std::string line;
    while (std::getline(maps, line)) {
        if (line.find("/imageformats/") != std::string::npos) {
            return true;
        }
    }
    return false;
}

int OpaquePixels(const QIcon& icon, int size) {
    const QImage image = icon.pixmap(size, size).toImage();
    int opaque = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            opaque += qAlpha(image.pixel(x, y)) > 0 ? 1 : 0;
        }
    }
    return opaque;
}

}  // namespace

VK_TEST_CHILD(window_with_bars) {
    int argc = 1;
    char name[] = "child";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    QApplication::setStyle(new CApplicationStyle(QApplication::style()));
    QMainWindow window;
    window.menuBar()->addMenu(QStringLiteral("&File"));
    QToolBar* bar = window.addToolBar(QStringLiteral("Tools"));
    bar->addAction(QStringLiteral("Refresh"));
    window.statusBar()->showMessage(QStringLiteral("Ready"));
    window.show();
    window.repaint();
    QApplication::processEvents();
    return ImagePluginLoaded() ? 3 : 0;
}

TEST(ApplicationStyle, AWindowWithBarsLoadsNoImagePlugin) {
    vktest::ChildProcess child("window_with_bars");
    EXPECT_EQ(child.Wait(), 0) << "3: an image format plugin was loaded";
}

TEST(ApplicationStyle, AnOverflowingToolBarShowsItsExtensionArrows) {
    vktest::QtApp();
    CApplicationStyle style(nullptr);
    QMainWindow window;
    window.setStyle(&style);
    QToolBar* bar = window.addToolBar(QStringLiteral("Tools"));
    bar->setStyle(&style);
    for (int i = 0; i < 30; ++i) {
        bar->addAction(QStringLiteral("Command %1").arg(i));
    }
    window.resize(200, 120);
    window.show();
    QApplication::processEvents();
    auto* extension = bar->findChild<QToolButton*>(QStringLiteral("qt_toolbar_ext_button"));
    ASSERT_NE(extension, nullptr);
    EXPECT_TRUE(extension->isVisible());
    EXPECT_GT(OpaquePixels(extension->icon(), 16), 0);
}

TEST(ApplicationStyle, ArrowsPointWhereTheHiddenButtonsAreAndOtherIconsAreThePlatforms) {
    vktest::QtApp();
    CApplicationStyle style(nullptr);
    const auto arrow = [&style](QStyle::StandardPixmap which, Qt::LayoutDirection direction) {
        QStyleOption option;
        option.direction = direction;
        return style.standardIcon(which, &option).pixmap(16, 16).toImage();
    };
    const QImage right = arrow(QStyle::SP_ToolBarHorizontalExtensionButton, Qt::LeftToRight);
    EXPECT_NE(right, arrow(QStyle::SP_ToolBarHorizontalExtensionButton, Qt::RightToLeft));
    EXPECT_NE(right, arrow(QStyle::SP_ToolBarVerticalExtensionButton, Qt::LeftToRight));

    const QIcon warning = style.standardIcon(QStyle::SP_MessageBoxWarning);
    EXPECT_GT(OpaquePixels(warning, 32), 0);
    EXPECT_EQ(
        warning.pixmap(32, 32).toImage(),
        style.baseStyle()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(32, 32).toImage());
}
