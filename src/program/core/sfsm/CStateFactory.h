// Makes the first state of a wizard for a given context.
#pragma once

#include "program/core/sfsm/CState.h"

#include <memory>

namespace SDP::SFSM {

template <class Context>
class CStateFactory {
public:
    CStateFactory() = default;
    virtual ~CStateFactory() = default;
    CStateFactory(const CStateFactory&) = delete;
    CStateFactory& operator=(const CStateFactory&) = delete;

    virtual std::unique_ptr<CState<Context>> CreateInitialState(Context* context) = 0;
};

}  // namespace SDP::SFSM
