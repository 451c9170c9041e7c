// The first copy's side of the single-instance signal: listens on the D-Bus
// session bus (when there is one) and on the local socket (always, for copies
// started without a bus) and emits Activated on its thread for every copy that
// signalled (see InstanceSignal.h).
#pragma once

#include <QObject>
#include <string>

#include "desktop/InstanceAddress.h"
#include "platform/kernel/UnixSocket.h"

class QSocketNotifier;

class CInstanceListener : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.vkcert.Instance")
public:
    CInstanceListener(const std::wstring& instanceName, QObject* parent = nullptr);
    ~CInstanceListener() override;

    // Starts listening; true when at least one way listens. A socket left by a
    // copy that died is replaced (only the first copy listens, which the
    // instance mutex decides).
    bool Listen();
    bool ListensOnDBus() const { return m_dbus; }
    bool ListensOnSocket() const;

public slots:
    // Called over D-Bus by a starting copy.
    Q_SCRIPTABLE void Activate();

signals:
    void Activated();

private:
    bool ListenOnDBus();
    bool ListenOnSocket();
    void CloseSocket();
    void OnConnection();

    CInstanceAddress m_address;
    CUnixSocket m_server;
    QSocketNotifier* m_serverNotifier = nullptr;
    bool m_dbus = false;
};
