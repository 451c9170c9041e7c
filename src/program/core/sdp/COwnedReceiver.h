// A receiver member of an owning object: it hands each message to the owner's handler
// `void OnMessage(const Msg&)` (one overload per message type the owner receives).
#pragma once

#include "program/core/sdp/CReceiver.h"

namespace SDP::SOBSERVER {

template <class Owner, class Msg, class ThreadModel>
class COwnedReceiver : public CReceiver<Msg, ThreadModel> {
    using Guard = typename ThreadModel::Guard;

public:
    COwnedReceiver() = default;
    // Unlinks before the owner lock goes, and waits out a delivery running on another thread.
    ~COwnedReceiver() override { this->Unlink(); }

    // Null makes the receiver inert again; once this returns, no handler of the previous owner
    // is running, so an owner may call SetOwner(nullptr) first in its destructor.
    void SetOwner(Owner* owner) {
        Guard guard(m_ownerLock);
        m_owner = owner;
    }

    void receive(const Msg& msg) override {
        Guard guard(m_ownerLock);
        if (m_owner != nullptr) {
            m_owner->OnMessage(msg);
        }
    }

private:
    Owner* m_owner = nullptr;
    typename ThreadModel::LockType m_ownerLock;
};

}  // namespace SDP::SOBSERVER
