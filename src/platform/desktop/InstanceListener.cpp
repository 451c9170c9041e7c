#include "platform/desktop/InstanceListener.h"

#include <QDBusConnection>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>

#include "platform/desktop/InstanceProtocol.h"

CInstanceListener::CInstanceListener(const std::wstring& instanceName, QObject* parent)
    : QObject(parent), m_address(instanceName) {}

CInstanceListener::~CInstanceListener() {
    if (m_dbus) {
        QDBusConnection bus = QDBusConnection::sessionBus();
        bus.unregisterService(m_address.Service());
        bus.unregisterObject(m_address.ObjectPath());
    }
}

bool CInstanceListener::Listen() {
    const bool onBus = ListenOnDBus();
    const bool onSocket = ListenOnSocket();
    return onBus || onSocket;
}

bool CInstanceListener::ListensOnSocket() const {
    return m_server != nullptr && m_server->isListening();
}

void CInstanceListener::Activate() {
    emit Activated();
}

bool CInstanceListener::ListenOnDBus() {
    if (m_dbus) {
        return true;
    }
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return false;
    }
    if (!bus.registerObject(m_address.ObjectPath(), this, QDBusConnection::ExportScriptableSlots)) {
        return false;
    }
    if (!bus.registerService(m_address.Service())) {
        bus.unregisterObject(m_address.ObjectPath());
        return false;
    }
    m_dbus = true;
    return true;
}

bool CInstanceListener::ListenOnSocket() {
    if (ListensOnSocket()) {
        return true;
    }
    if (m_address.SocketPath().isEmpty()) {
        return false;
    }
    if (m_server == nullptr) {
        m_server = new QLocalServer(this);
        m_server->setSocketOptions(QLocalServer::UserAccessOption);
        connect(m_server, &QLocalServer::newConnection, this, &CInstanceListener::OnConnection);
    }
    // Only the first copy gets here, so a socket file left behind is a dead copy's.
    QLocalServer::removeServer(m_address.SocketPath());
    return m_server->listen(m_address.SocketPath());
}

void CInstanceListener::OnConnection() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        // A peer that never finishes its line does not keep the connection.
        QTimer::singleShot(kInstanceConnectionMs, socket, [socket] { socket->abort(); });
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { OnRequest(socket); });
    }
}

void CInstanceListener::OnRequest(QLocalSocket* socket) {
    if (!socket->canReadLine()) {
        if (socket->bytesAvailable() > kInstanceMaxLine) {
            socket->abort();  // not one of ours
        }
        return;
    }
    const QByteArray line = socket->readLine(kInstanceMaxLine + 1);
    if (line != kInstanceActivate) {
        socket->abort();
        return;
    }
    socket->write(kInstanceActivated);
    socket->flush();
    emit Activated();
}
