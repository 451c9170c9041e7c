#include "desktop/InstanceAddress.h"

#include <QCryptographicHash>
#include <QDir>

#include "platform/kernel/NamedMutex.h"

namespace {

QString Digest(const std::wstring& name) {
    const QByteArray utf8 = QString::fromStdWString(name).toUtf8();
    return QString::fromLatin1(
        QCryptographicHash::hash(utf8, QCryptographicHash::Sha256).toHex().left(32));
}

QString SocketFolder() {
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir(QString::fromLocal8Bit(runtime)).exists()) {
        return QString::fromLocal8Bit(runtime);
    }
    return QString::fromStdString(CNamedMutex::LockDirectory());
}

}  // namespace

CInstanceAddress::CInstanceAddress(const std::wstring& instanceName) {
    const QString digest = Digest(instanceName);
    // A bus name element must not start with a digit.
    m_service = QStringLiteral("org.vkcert.Instance.i") + digest;
    m_objectPath = QStringLiteral("/org/vkcert/Instance/i") + digest;
    const QString folder = SocketFolder();
    if (!folder.isEmpty()) {
        m_socketPath = folder + QStringLiteral("/vkcert-instance-") + digest;
    }
}

QString CInstanceAddress::Interface() {
    return QStringLiteral("org.vkcert.Instance");
}
