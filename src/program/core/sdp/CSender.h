// The sending side of one message type, and the two operations on it: Attach and Send.
#pragma once

#include "program/core/sdp/CReceiver.h"
#include "program/core/sdp/CTypedPtrContainer.h"
#include "program/core/sdp/IReceiver.h"

#include <cstddef>

namespace SDP::SOBSERVER {

template <class Msg, class ThreadModel>
class CSender {
    using Guard = typename ThreadModel::Guard;

public:
    CSender() = default;
    CSender(const CSender&) = delete;
    CSender& operator=(const CSender&) = delete;

    // False when the receiver was attached already. There is no detach: a link ends when
    // either side is destroyed.
    bool Attach(CReceiver<Msg, ThreadModel>& receiver) {
        Guard guard(m_lock);
        return m_receivers.Link(&receiver);
    }

    // The sender's lock is held for the whole delivery, so deliveries of one sender never
    // overlap and an attach waits for the delivery in progress.
    void Send(const Msg& msg) {
        Guard guard(m_lock);
        m_receivers.Deliver(msg);
    }

    std::size_t ReceiverCount() const { return m_receivers.LinkCount(); }

private:
    typename ThreadModel::LockType m_lock;
    __Helpers::CTypedPtrContainer<IReceiver<Msg>, ThreadModel> m_receivers;
};

template <class Msg, class ThreadModel>
bool Attach(CSender<Msg, ThreadModel>& sender, CReceiver<Msg, ThreadModel>& receiver) {
    return sender.Attach(receiver);
}

template <class Msg, class ThreadModel>
bool Attach(CSender<Msg, ThreadModel>& sender, CReceiver<Msg, ThreadModel>* receiver) {
    return receiver != nullptr && sender.Attach(*receiver);
}

// The message is passed on by reference, never copied.
template <class Msg, class ThreadModel>
void Send(CSender<Msg, ThreadModel>& sender, const Msg& msg) {
    sender.Send(msg);
}

}  // namespace SDP::SOBSERVER
