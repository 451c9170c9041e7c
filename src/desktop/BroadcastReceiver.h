// Hears one broadcast message: an object of the window thread whose signal
// Received fires for every posting of that message, by this program or by any
// other program of the session (see MessageBroadcast.h).
//
//     auto* receiver = new CBroadcastReceiver(RegisterWindowMessageW(kName), frame);
//     connect(receiver, &CBroadcastReceiver::Received, frame, &Frame::OnLoginBroadcast);
#pragma once

#include <QObject>

#include "desktop/WindowMessage.h"

class CBroadcastReceiver : public QObject {
    Q_OBJECT
public:
    // Needs the Qt application object; lives on the thread that makes it.
    CBroadcastReceiver(UINT message, QObject* parent = nullptr);

    UINT Message() const { return m_message; }

signals:
    void Received(WPARAM wParam, LPARAM lParam);

private:
    void OnArrived(UINT message, WPARAM wParam, LPARAM lParam);

    const UINT m_message;
};
