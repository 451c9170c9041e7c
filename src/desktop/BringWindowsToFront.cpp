#include "desktop/BringWindowsToFront.h"

#include <QApplication>
#include <QWidget>
#include <algorithm>
#include <vector>

namespace {

bool IsToolWindow(const QWidget* widget) {
    return widget->windowType() == Qt::Tool || widget->windowType() == Qt::ToolTip ||
           widget->windowType() == Qt::Popup;
}

// Top-level windows of the program, the active modal dialog last, so that it
// ends up on top of the window it blocks.
std::vector<QWidget*> WindowsInRaiseOrder() {
    std::vector<QWidget*> windows;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (!IsToolWindow(widget) && widget->windowType() != Qt::Desktop) {
            windows.push_back(widget);
        }
    }
    auto modals = std::stable_partition(windows.begin(), windows.end(),
                                        [](const QWidget* w) { return !w->isModal(); });
    QWidget* active = QApplication::activeModalWidget();
    std::stable_partition(modals, windows.end(),
                          [active](const QWidget* w) { return w != active; });
    return windows;
}

}  // namespace

void BringWindowsToFront() {
    QWidget* last = nullptr;
    for (QWidget* window : WindowsInRaiseOrder()) {
        if (window->isMinimized()) {
            window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
        }
        if (window->isVisible()) {
            window->raise();
            last = window;
        }
    }
    if (last != nullptr) {
        last->activateWindow();
    }
}
