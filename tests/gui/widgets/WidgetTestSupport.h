// Shared by the widget tests: the application object, shown top-level hosts
// and synthetic mouse and key input sent straight to a widget.
#pragma once

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

#include "support/gui/QtApp.h"

#include <ostream>

inline void PrintTo(const QRect& r, std::ostream* os) {
    *os << "QRect(" << r.x() << ", " << r.y() << ", " << r.width() << ", " << r.height() << ")";
}

namespace widgettest {

// A shown top-level window of the given size; resize events reach its children at once.
inline void ShowHost(QWidget& host, int width, int height) {
    vktest::QtApp();
    host.resize(width, height);
    host.show();
    QApplication::processEvents();
}

inline void SendMouse(QWidget* target, QEvent::Type type, QPoint at) {
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(Qt::LeftButton);
    QMouseEvent e(type, QPointF(at), target->mapToGlobal(QPointF(at)),
                  type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, held, Qt::NoModifier);
    QApplication::sendEvent(target, &e);
}

// A key as a window delivers it: the shortcut check first, then the press.
inline bool SendKey(QWidget* target, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent overrideEvent(QEvent::ShortcutOverride, key, modifiers);
    QApplication::sendEvent(target, &overrideEvent);
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(target, &press);
    return press.isAccepted();
}

}  // namespace widgettest
