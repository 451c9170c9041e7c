// One step of a wizard: Execute does the step and hands back the state that comes next, or
// null when the wizard is over.
#pragma once

#include <memory>

namespace SDP::SFSM {

template <class Context>
class CState {
public:
    explicit CState(Context* context) : m_context(context) {}
    virtual ~CState() = default;
    CState(const CState&) = delete;
    CState& operator=(const CState&) = delete;

    virtual std::unique_ptr<CState> Execute() = 0;

protected:
    // The wizard run's context; it belongs to the starter and outlives every state.
    Context* GetContext() const { return m_context; }

private:
    Context* m_context;
};

}  // namespace SDP::SFSM
