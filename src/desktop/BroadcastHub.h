// The one carrier of broadcast messages of a Qt application (see
// MessageBroadcast.h): hands each posting to this program's receivers through
// the event loop and to the other programs over the D-Bus session bus, and
// turns what the bus brings from them into the same signal. Lives on the
// application's thread, owned by the application object.
#pragma once

#include <QDBusMessage>
#include <QObject>
#include <QString>

#include "desktop/WindowMessage.h"

class CBroadcastHub : public QObject {
    Q_OBJECT
public:
    // The hub of the running application, made on first use; null when there
    // is no application object or when called off its thread before it exists.
    static CBroadcastHub* Instance();

    // Posts from any thread; delivery is always queued.
    static bool Post(UINT message, WPARAM wParam, LPARAM lParam);

    // True when the session bus carries postings to and from other programs.
    bool OnBus() const { return m_onBus; }

signals:
    void Arrived(UINT message, WPARAM wParam, LPARAM lParam);

private slots:
    void OnBusMessage(const QDBusMessage& message);

private:
    explicit CBroadcastHub(QObject* parent);

    void Deliver(const QString& name, UINT number, WPARAM wParam, LPARAM lParam);

    bool m_onBus = false;
    QString m_ownBusName;
};
