// Runs a wizard: each state is executed and then deleted, and the state it returned runs next,
// until a state (or the factory) gives none.
#pragma once

#include "program/core/sfsm/CState.h"
#include "program/core/sfsm/CStateFactory.h"

#include <memory>

namespace SDP::SFSM {

template <class Context>
class CStateMachine {
public:
    // Failures are the states' business; should one escape anyway, the running state is still
    // deleted before it propagates.
    static void Run(CStateFactory<Context>& factory, Context* context) {
        std::unique_ptr<CState<Context>> current = factory.CreateInitialState(context);
        while (current) {
            std::unique_ptr<CState<Context>> next = current->Execute();
            current.reset();
            current = std::move(next);
        }
    }
};

}  // namespace SDP::SFSM
