// The program's style: a window with bars shows without Qt loading an image format plugin, an
// overflowing tool bar shows its extension arrows, other standard icons are the platform style's.
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
#include <iterator>
#include <string>

#include "gui/app/ApplicationStyle.h"
#include "support/ChildProcess.h"
#include "support/gui/QtApp.h"

namespace {

bool ImagePluginLoaded() {
    std::ifstream maps("/proc/self/maps");
    const std::string text((std::istreambuf_iterator<char>(maps)), {});
    return text.find("/imageformats/") != std::string::npos;
}

bool Drawn(const QIcon& icon, int size) {
    const QImage image = icon.pixmap(size, size).toImage();
    QImage blank(image.size(), image.format());
    blank.fill(Qt::transparent);
    return !image.isNull() && image != blank;
}

}  // namespace

VK_TEST_CHILD(window_with_bars) {
    vktest::QtApp();
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

TEST(ApplicationStyle, BarsLoadNoImagePluginOverflowArrowsShowOtherIconsArePlatform) {
    vktest::ChildProcess child("window_with_bars");
    EXPECT_EQ(child.Wait(), 0) << "3: an image format plugin was loaded";

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
    EXPECT_TRUE(Drawn(extension->icon(), 16));

    const auto arrow = [&style](QStyle::StandardPixmap which, Qt::LayoutDirection direction) {
        QStyleOption option;
        option.direction = direction;
        return style.standardIcon(which, &option).pixmap(16, 16).toImage();
    };
    const QImage right = arrow(QStyle::SP_ToolBarHorizontalExtensionButton, Qt::LeftToRight);
    EXPECT_NE(right, arrow(QStyle::SP_ToolBarHorizontalExtensionButton, Qt::RightToLeft));
    EXPECT_NE(right, arrow(QStyle::SP_ToolBarVerticalExtensionButton, Qt::LeftToRight));
    const QIcon warning = style.standardIcon(QStyle::SP_MessageBoxWarning);
    EXPECT_TRUE(Drawn(warning, 32));
    EXPECT_EQ(
        warning.pixmap(32, 32).toImage(),
        style.baseStyle()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(32, 32).toImage());
}
