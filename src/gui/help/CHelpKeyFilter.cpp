#include "gui/help/CHelpKeyFilter.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

#include "gui/help/HelpTopics.h"

namespace SHTMLHelper {

CHelpKeyFilter::CHelpKeyFilter(std::function<void(const QString&)> show) : m_show(std::move(show)) {
    QCoreApplication::instance()->installEventFilter(this);
}

CHelpKeyFilter::~CHelpKeyFilter() {
    if (QCoreApplication::instance() != nullptr) {
        QCoreApplication::instance()->removeEventFilter(this);
    }
}

QString CHelpKeyFilter::TopicOf(const QWidget* widget) {
    for (; widget != nullptr; widget = widget->parentWidget()) {
        const QString topic = widget->property(kHelpTopicProperty).toString();
        if (!topic.isEmpty()) {
            return topic;
        }
    }
    return {};
}

bool CHelpKeyFilter::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if ((type != QEvent::KeyPress && type != QEvent::ShortcutOverride) ||
        !watched->isWidgetType()) {
        return false;
    }
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_F1 || key->modifiers() != Qt::NoModifier) {
        return false;
    }
    // The key goes to the focused widget; without one, to the active modal dialog.
    const QWidget* start = static_cast<QWidget*>(watched);
    QString topic = TopicOf(start);
    if (topic.isEmpty() && start != QApplication::activeModalWidget()) {
        topic = TopicOf(QApplication::activeModalWidget());
    }
    if (topic.isEmpty()) {
        return false;
    }
    if (type == QEvent::ShortcutOverride) {
        event->accept();  // the key press follows, and no shortcut takes it first
        return true;
    }
    m_show(topic);
    return true;
}

}  // namespace SHTMLHelper
