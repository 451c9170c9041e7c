// The reader monitor: a process-wide singleton that turns the token middleware's reader events
// into CReaderStateChangedMsg messages for its subscribers (the provider context cache). The
// messages are sent on the middleware's own thread.
#pragma once

#include <string>

#include "platform/WinTypes.h"
#include "platform/middleware/VKAPIi.h"
#include "program/core/sdp/CCriticalSectionLockObj.h"
#include "program/core/sdp/CReceiver.h"
#include "program/core/sdp/CSender.h"
#include "program/core/sdp/MultiThreadedModel.h"

namespace SCardMonitor {

// PC/SC reader state bits carried by the message.
inline constexpr DWORD SCARD_STATE_EMPTY = 0x10;
inline constexpr DWORD SCARD_STATE_PRESENT = 0x20;

// What the callback answers for events and changes it does not handle.
inline constexpr long kUnhandledEvent = 50;

class CMonitor {
public:
    using ThreadModel =
        SDP::STHREADS::MultiThreadedModel<SDP::STHREADS::WIN::CCriticalSectionLockObj>;

    // An insertion is (EMPTY -> PRESENT), a removal (PRESENT -> EMPTY).
    struct CReaderStateChangedMsg {
        std::wstring readerName;
        DWORD previousState = 0;
        DWORD currentState = 0;
    };

    using CReceiverType = SDP::SOBSERVER::CReceiver<CReaderStateChangedMsg, ThreadModel>;

    CMonitor();
    ~CMonitor();
    CMonitor(const CMonitor&) = delete;
    CMonitor& operator=(const CMonitor&) = delete;

    // Starts the middleware's event delivery to Reader_Event_Callback (result ignored: without
    // events, cached contexts live until the program ends).
    void StartMonitoring();
    // False when the receiver was subscribed already.
    bool Subscribe(CReceiverType& receiver);
    // Sends the message to every subscriber.
    void Notify(const CReaderStateChangedMsg& msg);

private:
    SDP::SOBSERVER::CSender<CReaderStateChangedMsg, ThreadModel> m_subject;
    VKAPIi_Context m_context;
};

// The middleware's callback: event 1 with change 1 (inserted) or 2 (removed) is sent to the
// subscribers of the monitor named by the record's user pointer and answers 0; anything else
// answers 50 and sends nothing.
long Reader_Event_Callback(unsigned event, unsigned change, long record);

}  // namespace SCardMonitor
