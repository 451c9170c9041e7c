// The states of the PFX import wizard. Each does one step over the run's context and answers
// the state that comes next, or null when the wizard is over.
#pragma once

#include <memory>
#include <string>

#include "program/core/sfsm/CState.h"
#include "program/core/sfsm/CStateFactory.h"
#include "program/ops/pfximport/CPfxContext.h"

namespace SPFXMaster {

using CPfxState = SDP::SFSM::CState<CPfxContext>;
using CPfxStatePtr = std::unique_ptr<CPfxState>;

// Starts the run: reading the file comes first.
class CInitialState final : public CPfxState {
public:
    using CPfxState::CPfxState;
    CPfxStatePtr Execute() override;
};

// Reads the whole file once; 195 when it cannot be read.
class CLoadFileContents final : public CPfxState {
public:
    using CPfxState::CPfxState;
    CPfxStatePtr Execute() override;
};

// The password page.
class CEnterFileNameAndPWDState final : public CPfxState {
public:
    using CPfxState::CPfxState;
    CPfxStatePtr Execute() override;
};

// Unpacks the file with the password behind the progress page and keeps its one certificate
// with a private key: 197 for none or several, the wrong-password page, or 196.
class CCheckPWDAndPFXContents final : public CPfxState {
public:
    using CPfxState::CPfxState;
    CPfxStatePtr Execute() override;
};

// The error page with 207 whose "< Back" asks for the password again.
class CErrorPWDState final : public CPfxState {
public:
    using CPfxState::CPfxState;
    CPfxStatePtr Execute() override;
};

// The container page: name and export permission.
class CEnterContainerNameState final : public CPfxState {
public:
    using CPfxState::CPfxState;
    CPfxStatePtr Execute() override;
};

// Creates the container and puts the key and certificate into it, behind the progress page;
// the container goes again when a later step fails. The token is read afresh either way.
class CImportOperationState final : public CPfxState {
public:
    using CPfxState::CPfxState;
    CPfxStatePtr Execute() override;
};

// The success page (198).
class CImportSucceededState final : public CPfxState {
public:
    using CPfxState::CPfxState;
    CPfxStatePtr Execute() override;
};

// The error page with its message and "< Back" disabled.
class CErrorMessageState final : public CPfxState {
public:
    CErrorMessageState(CPfxContext* context, UINT messageId, std::wstring message)
        : CPfxState(context), m_messageId(messageId), m_message(std::move(message)) {}
    CPfxStatePtr Execute() override;

private:
    UINT m_messageId;
    std::wstring m_message;
};

class CInitialStateFactory final : public SDP::SFSM::CStateFactory<CPfxContext> {
public:
    CPfxStatePtr CreateInitialState(CPfxContext* context) override {
        return std::make_unique<CInitialState>(context);
    }
};

}  // namespace SPFXMaster
