#include "desktop/BroadcastReceiver.h"

#include "desktop/BroadcastHub.h"

CBroadcastReceiver::CBroadcastReceiver(UINT message, QObject* parent)
    : QObject(parent), m_message(message) {
    if (CBroadcastHub* hub = CBroadcastHub::Instance()) {
        connect(hub, &CBroadcastHub::Arrived, this, &CBroadcastReceiver::OnArrived);
    }
}

void CBroadcastReceiver::OnArrived(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == m_message) {
        emit Received(wParam, lParam);
    }
}
