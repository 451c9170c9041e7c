#include "program/token/CMonitor.h"

namespace SCardMonitor {

CMonitor::CMonitor() {
    m_context.Init(0);
}

CMonitor::~CMonitor() {
    // Once the monitor has stopped, no callback runs any more.
    m_context.Stop_Readers_State_Monitor();
    m_context.Stop_Readers_State_Monitor();
    m_context.Free();
}

void CMonitor::StartMonitoring() {
    m_context.Start_Readers_State_Monitor(&Reader_Event_Callback, this);
}

bool CMonitor::Subscribe(CReceiverType& receiver) {
    return SDP::SOBSERVER::Attach(m_subject, receiver);
}

void CMonitor::Notify(const CReaderStateChangedMsg& msg) {
    SDP::SOBSERVER::Send(m_subject, msg);
}

long Reader_Event_Callback(unsigned event, unsigned change, long record) {
    if (event != 1) {
        return kUnhandledEvent;
    }
    const VKAPIi_Reader_Event_Record* data = VKAPIi_Event_Record(record);
    if (data == nullptr || data->user == nullptr) {
        return kUnhandledEvent;
    }
    auto* monitor = static_cast<CMonitor*>(data->user);
    const VKLib_String name(data->readerName);

    CMonitor::CReaderStateChangedMsg msg;
    msg.readerName = name.Get_Buffer(0);
    if (change == 1) {
        msg.previousState = SCARD_STATE_EMPTY;
        msg.currentState = SCARD_STATE_PRESENT;
    } else if (change == 2) {
        msg.previousState = SCARD_STATE_PRESENT;
        msg.currentState = SCARD_STATE_EMPTY;
    } else {
        return kUnhandledEvent;
    }
    monitor->Notify(msg);
    return 0;
}

}  // namespace SCardMonitor
