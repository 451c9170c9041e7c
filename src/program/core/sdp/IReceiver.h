// The receiving side of one message type.
#pragma once

namespace SDP::SOBSERVER {

template <class Msg>
class IReceiver {
public:
    virtual void receive(const Msg&) {}

protected:
    // Receivers are never deleted through this interface.
    ~IReceiver() = default;
};

}  // namespace SDP::SOBSERVER
