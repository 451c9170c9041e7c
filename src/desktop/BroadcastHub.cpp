#include "desktop/BroadcastHub.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QPointer>
#include <QThread>

#include "desktop/BroadcastSignal.h"
#include "desktop/RegisteredMessages.h"

namespace {

const QString kPath = QString::fromLatin1(kBroadcastPath);
const QString kInterface = QString::fromLatin1(kBroadcastInterface);
const QString kMember = QString::fromLatin1(kBroadcastMember);
constexpr int kBusTimeoutMs = 2000;

// Messages of one connection reach the bus in order, so when this call returns
// every message sent before it (a posting, a subscription) has been handled by
// the bus, even if the process ends right after.
void WaitForBus(const QDBusConnection& bus) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("GetId"));
    bus.call(call, QDBus::Block, kBusTimeoutMs);
}

QPointer<CBroadcastHub>& TheHub() {
    static QPointer<CBroadcastHub> hub;
    return hub;
}

}  // namespace

CBroadcastHub::CBroadcastHub(QObject* parent) : QObject(parent) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return;
    }
    m_ownBusName = bus.baseService();
    m_onBus =
        bus.connect(QString(), kPath, kInterface, kMember, this, SLOT(OnBusMessage(QDBusMessage)));
    if (m_onBus) {
        WaitForBus(bus);
    }
}

CBroadcastHub* CBroadcastHub::Instance() {
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr || QThread::currentThread() != app->thread()) {
        return nullptr;
    }
    QPointer<CBroadcastHub>& hub = TheHub();
    if (!hub) {
        hub = new CBroadcastHub(app);
    }
    return hub;
}

bool CBroadcastHub::Post(UINT message, WPARAM wParam, LPARAM lParam) {
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr) {
        return false;
    }
    const QString name = QString::fromStdWString(CRegisteredMessages::NameOf(message));
    QMetaObject::invokeMethod(
        app,
        [name, message, wParam, lParam] {
            if (CBroadcastHub* hub = Instance()) {
                hub->Deliver(name, message, wParam, lParam);
            }
        },
        Qt::QueuedConnection);

    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected()) {
        QDBusMessage signal = QDBusMessage::createSignal(kPath, kInterface, kMember);
        signal << name << static_cast<uint>(message) << static_cast<qulonglong>(wParam)
               << static_cast<qlonglong>(lParam);
        if (bus.send(signal)) {
            WaitForBus(bus);
        }
    }
    return true;
}

void CBroadcastHub::OnBusMessage(const QDBusMessage& message) {
    if (message.service() == m_ownBusName) {
        return;  // delivered in the process already
    }
    if (message.signature() != QLatin1String(kBroadcastSignature)) {
        return;  // not one of ours
    }
    const QList<QVariant> args = message.arguments();
    Deliver(args[0].toString(), args[1].toUInt(), static_cast<WPARAM>(args[2].toULongLong()),
            static_cast<LPARAM>(args[3].toLongLong()));
}

void CBroadcastHub::Deliver(const QString& name, UINT number, WPARAM wParam, LPARAM lParam) {
    UINT message = number;
    if (!name.isEmpty()) {
        message = CRegisteredMessages::Register(name.toStdWString());
    } else if (number >= kFirstRegisteredMessage) {
        return;  // a registered number means nothing without its name
    }
    if (message != 0) {
        emit Arrived(message, wParam, lParam);
    }
}
