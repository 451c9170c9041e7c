#include "desktop/InstanceListener.h"

#include <QDBusConnection>
#include <QFile>
#include <QSocketNotifier>
#include <QTimer>

#include <unistd.h>

#include "desktop/InstanceProtocol.h"

namespace {

// How long the answer to a starting copy may take to leave.
constexpr int kAnswerMs = 1000;

// One connection to the socket: reads the starting copy's line, answers it and
// reports it; anything else ends the connection. Goes when the peer closes, on
// a line that is not ours, or kInstanceConnectionMs after it was accepted.
class CInstanceConnection : public QObject {
public:
    CInstanceConnection(CUnixSocket socket, CInstanceListener* listener)
        : QObject(listener), m_socket(std::move(socket)), m_listener(listener) {
        m_notifier = new QSocketNotifier(m_socket.Descriptor(), QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, [this] {
            if (!OnReadable()) {
                Finish();
            }
        });
        // A peer that never finishes its line does not keep the connection.
        QTimer::singleShot(kInstanceConnectionMs, this, [this] { Finish(); });
    }

    ~CInstanceConnection() override {
        // The notifier goes before the descriptor it watches is closed.
        delete m_notifier;
    }

private:
    // False when the connection is to end.
    bool OnReadable() {
        const std::size_t room = kInstanceMaxLine + 1 - m_pending.size();
        switch (m_socket.ReceiveAvailable(m_pending, room)) {
            case CUnixSocket::Received::Closed:
                return false;
            case CUnixSocket::Received::Nothing:
                return true;
            case CUnixSocket::Received::Data:
                break;
        }
        for (std::size_t end = m_pending.find('\n'); end != std::string::npos;
             end = m_pending.find('\n')) {
            const std::string line = m_pending.substr(0, end + 1);
            m_pending.erase(0, end + 1);
            if (line != kInstanceActivate || !m_socket.SendAll(kInstanceActivated, kAnswerMs)) {
                return false;
            }
            emit m_listener->Activated();
        }
        // A line longer than ours without its end is not one of ours.
        return m_pending.size() <= static_cast<std::size_t>(kInstanceMaxLine);
    }

    void Finish() {
        m_notifier->setEnabled(false);
        deleteLater();
    }

    CUnixSocket m_socket;
    CInstanceListener* m_listener;
    QSocketNotifier* m_notifier = nullptr;
    std::string m_pending;
};

}  // namespace

CInstanceListener::CInstanceListener(const std::wstring& instanceName, QObject* parent)
    : QObject(parent), m_address(instanceName) {}

CInstanceListener::~CInstanceListener() {
    if (m_dbus) {
        QDBusConnection bus = QDBusConnection::sessionBus();
        bus.unregisterService(m_address.Service());
        bus.unregisterObject(m_address.ObjectPath());
    }
    CloseSocket();
}

bool CInstanceListener::Listen() {
    const bool onBus = ListenOnDBus();
    const bool onSocket = ListenOnSocket();
    return onBus || onSocket;
}

bool CInstanceListener::ListensOnSocket() const {
    return m_server.IsValid();
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
    const std::string path = QFile::encodeName(m_address.SocketPath()).toStdString();
    // Only the first copy gets here, so a socket file left behind is a dead copy's.
    ::unlink(path.c_str());
    m_server = CUnixSocket::Listen(path);
    if (!m_server.IsValid()) {
        return false;
    }
    m_serverNotifier = new QSocketNotifier(m_server.Descriptor(), QSocketNotifier::Read, this);
    connect(m_serverNotifier, &QSocketNotifier::activated, this, &CInstanceListener::OnConnection);
    return true;
}

void CInstanceListener::CloseSocket() {
    if (!m_server.IsValid()) {
        return;
    }
    delete m_serverNotifier;
    m_serverNotifier = nullptr;
    m_server.Close();
    // The socket goes with the copy that listened on it.
    ::unlink(QFile::encodeName(m_address.SocketPath()).constData());
}

void CInstanceListener::OnConnection() {
    for (CUnixSocket socket = m_server.Accept(); socket.IsValid(); socket = m_server.Accept()) {
        new CInstanceConnection(std::move(socket), this);
    }
}
