// Where the first copy of a program, known by its instance name, hears that
// another copy started: a D-Bus service on the session bus and a local socket
// in the user's runtime folder. Both are derived from a digest of the name, so
// any name (spaces, braces, any length) gives valid addresses.
#pragma once

#include <QString>
#include <string>

class CInstanceAddress {
public:
    explicit CInstanceAddress(const std::wstring& instanceName);

    // "org.vkcert.Instance.i<digest>"
    const QString& Service() const { return m_service; }
    // "/org/vkcert/Instance/i<digest>"
    const QString& ObjectPath() const { return m_objectPath; }
    // "org.vkcert.Instance"
    static QString Interface();
    // $XDG_RUNTIME_DIR/vkcert-instance-<digest>, or the same name in the user's
    // private lock folder when there is no runtime folder; empty when neither exists.
    const QString& SocketPath() const { return m_socketPath; }

private:
    QString m_service;
    QString m_objectPath;
    QString m_socketPath;
};
