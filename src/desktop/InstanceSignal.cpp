#include "desktop/InstanceSignal.h"

#include <algorithm>
#include <cstdint>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDeadlineTimer>
#include <QFile>
#include <QThread>

#include "desktop/InstanceAddress.h"
#include "desktop/InstanceProtocol.h"
#include "platform/kernel/UnixSocket.h"

namespace {

constexpr int kRetryMs = 100;
constexpr int kAttemptMs = 1000;

int RemainingMs(const QDeadlineTimer& deadline) {
    return static_cast<int>(std::clamp<qint64>(deadline.remainingTime(), 0, INT32_MAX));
}

}  // namespace

InstanceTransport CInstanceSignal::Send(const std::wstring& instanceName, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        const int attemptMs = std::clamp(RemainingMs(deadline), 1, kAttemptMs);
        if (SendOverDBus(instanceName, attemptMs)) {
            return InstanceTransport::DBus;
        }
        if (SendOverSocket(instanceName, attemptMs)) {
            return InstanceTransport::LocalSocket;
        }
        if (deadline.remainingTime() <= kRetryMs) {
            return InstanceTransport::None;
        }
        QThread::msleep(kRetryMs);
    }
}

bool CInstanceSignal::SendOverDBus(const std::wstring& instanceName, int timeoutMs) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return false;
    }
    const CInstanceAddress address(instanceName);
    QDBusMessage call =
        QDBusMessage::createMethodCall(address.Service(), address.ObjectPath(),
                                       CInstanceAddress::Interface(), QStringLiteral("Activate"));
    const QDBusMessage reply = bus.call(call, QDBus::Block, timeoutMs);
    return reply.type() == QDBusMessage::ReplyMessage;
}

bool CInstanceSignal::SendOverSocket(const std::wstring& instanceName, int timeoutMs) {
    const CInstanceAddress address(instanceName);
    if (address.SocketPath().isEmpty()) {
        return false;
    }
    const CUnixSocket socket =
        CUnixSocket::Connect(QFile::encodeName(address.SocketPath()).toStdString());
    if (!socket.IsValid() || !socket.SendAll(kInstanceActivate, timeoutMs)) {
        return false;
    }
    std::string answer;
    const QDeadlineTimer deadline(timeoutMs);
    while (answer.find('\n') == std::string::npos &&
           answer.size() <= static_cast<std::size_t>(kInstanceMaxLine) &&
           socket.WaitReadable(RemainingMs(deadline))) {
        const std::size_t room = kInstanceMaxLine + 1 - answer.size();
        if (socket.ReceiveAvailable(answer, room) == CUnixSocket::Received::Closed) {
            break;
        }
    }
    return answer == kInstanceActivated;
}
