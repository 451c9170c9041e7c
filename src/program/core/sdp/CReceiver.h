// A receiver of one message type; its links record the senders it is attached to.
#pragma once

#include "program/core/sdp/CTypedPtrContainer.h"
#include "program/core/sdp/IReceiver.h"

namespace SDP::SOBSERVER {

// A class that derives from this one and overrides receive, and that may be destroyed while
// another thread sends to it, calls Unlink() first in its own destructor.
template <class Msg, class ThreadModel>
class CReceiver : public __Helpers::CTypedPtrContainer<IReceiver<Msg>, ThreadModel> {
public:
    CReceiver() = default;
    ~CReceiver() override { this->Unlink(); }
};

}  // namespace SDP::SOBSERVER
