// WM_LANGUAGE_CHANGED as a Qt event, and its delivery to every top-level
// widget of the process whenever the interface language changes.
#pragma once

#include <QEvent>

#include "program/app/LangIds.h"
#include "program/app/LanguageChangeListeners.h"

class CLanguageChangedEvent : public QEvent {
public:
    static constexpr QEvent::Type kType = static_cast<QEvent::Type>(WM_LANGUAGE_CHANGED);
    CLanguageChangedEvent() : QEvent(kType) {}
};

// While it lives, each change of the interface language sends
// CLanguageChangedEvent, synchronously, to every top-level widget of the
// application (hidden ones too), in the order Qt lists them. The application
// object creates one at start.
class CLanguageEventDelivery {
public:
    CLanguageEventDelivery();

    // Sends the event now (what a change of language does).
    static void SendToTopLevelWidgets();

private:
    CLanguageChangeSubscription m_subscription;
};
