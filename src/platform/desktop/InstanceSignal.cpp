#include "platform/desktop/InstanceSignal.h"

#include <algorithm>
#include <cstdint>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDeadlineTimer>
#include <QLocalSocket>
#include <QThread>

#include "platform/desktop/InstanceAddress.h"
#include "platform/desktop/InstanceProtocol.h"

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
    QLocalSocket socket;
    socket.connectToServer(address.SocketPath());
    if (!socket.waitForConnected(timeoutMs)) {
        return false;
    }
    socket.write(kInstanceActivate);
    if (!socket.waitForBytesWritten(timeoutMs)) {
        return false;
    }
    QByteArray answer;
    QDeadlineTimer deadline(timeoutMs);
    while (!answer.contains('\n') && answer.size() <= kInstanceMaxLine &&
           socket.waitForReadyRead(RemainingMs(deadline))) {
        answer += socket.readAll();
    }
    return answer == kInstanceActivated;
}
