// The states of the PFX export wizard. Each does one step over the run's context and answers
// the state that comes next, or null when the wizard is over.
#pragma once

#include <memory>
#include <string>

#include "program/core/sfsm/CState.h"
#include "program/core/sfsm/CStateFactory.h"
#include "program/ops/pfxexport/CExpPfxContext.h"

namespace SEXPPFXMaster {

using CExpPfxState = SDP::SFSM::CState<CExpPfxContext>;
using CExpPfxStatePtr = std::unique_ptr<CExpPfxState>;

// Starts the run: the key comes first.
class CInitialState final : public CExpPfxState {
public:
    using CExpPfxState::CExpPfxState;
    CExpPfxStatePtr Execute() override;
};

// Exports the private key from the token and reads its certificate, behind the progress page;
// 210 when the key may not be exported or cannot be reached.
class CLoadingKeyInfoState final : public CExpPfxState {
public:
    using CExpPfxState::CExpPfxState;
    CExpPfxStatePtr Execute() override;
};

// The password page.
class CExpPfxEnterPWDState final : public CExpPfxState {
public:
    using CExpPfxState::CExpPfxState;
    CExpPfxStatePtr Execute() override;
};

// Packs the key and certificate under the password and writes the file; 211 on failure.
class CExpPfxSaveToFileState final : public CExpPfxState {
public:
    using CExpPfxState::CExpPfxState;
    CExpPfxStatePtr Execute() override;
};

// The success page (212).
class CExpPfxSuccessState final : public CExpPfxState {
public:
    using CExpPfxState::CExpPfxState;
    CExpPfxStatePtr Execute() override;
};

// The error page with its message.
class CExpPfxErrorState final : public CExpPfxState {
public:
    CExpPfxErrorState(CExpPfxContext* context, UINT messageId, DWORD errorCode,
                      std::wstring message)
        : CExpPfxState(context),
          m_messageId(messageId),
          m_errorCode(errorCode),
          m_message(std::move(message)) {}
    CExpPfxStatePtr Execute() override;

private:
    UINT m_messageId;
    DWORD m_errorCode;
    std::wstring m_message;
};

class CPfxExpInitialStateFactory final : public SDP::SFSM::CStateFactory<CExpPfxContext> {
public:
    CExpPfxStatePtr CreateInitialState(CExpPfxContext* context) override {
        return std::make_unique<CInitialState>(context);
    }
};

}  // namespace SEXPPFXMaster
