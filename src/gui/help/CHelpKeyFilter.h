// F1 for the whole application: the key pressed in any widget shows the topic of the nearest
// widget, from that one up through its parents, that names one (the "helpTopic" property), so
// that F1 works inside dialogs and wizard pages too. A key nobody's topic answers goes on.
#pragma once

#include <QObject>
#include <QString>
#include <functional>

class QWidget;

namespace SHTMLHelper {

class CHelpKeyFilter : public QObject {
public:
    // Installs itself on the application; `show` opens a topic.
    explicit CHelpKeyFilter(std::function<void(const QString&)> show);
    ~CHelpKeyFilter() override;

    // The topic of the widget or of its nearest parent that has one; empty when none has.
    static QString TopicOf(const QWidget* widget);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void(const QString&)> m_show;
};

}  // namespace SHTMLHelper
