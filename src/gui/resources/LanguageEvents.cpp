#include "gui/resources/LanguageEvents.h"

#include <QApplication>
#include <QPointer>
#include <QWidget>

CLanguageEventDelivery::CLanguageEventDelivery()
    : m_subscription([] { SendToTopLevelWidgets(); }) {}

void CLanguageEventDelivery::SendToTopLevelWidgets() {
    // A receiver may close or create windows while it handles the event.
    QList<QPointer<QWidget>> windows;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        windows.append(w);
    }
    for (const auto& w : windows) {
        if (w) {
            CLanguageChangedEvent event;
            QCoreApplication::sendEvent(w, &event);
        }
    }
}
