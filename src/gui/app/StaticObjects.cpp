// The process-wide objects of the program, built before main runs in the order of their
// definitions below and destroyed in the reverse order after it returns. Each keep-alive holder
// is never read: it holds one reference so that its singleton lives from static construction to
// static destruction.

#include "desktop/RegisteredMessages.h"
#include "gui/app/CMutextInfo.h"
#include "gui/app/CvkCertApp.h"
#include "gui/app/STools/CAlreadyLaunched.h"
#include "gui/ui/frame/LoginLogoutMessage.h"
#include "program/core/sdp/CSingletonRegistry.h"
#include "program/core/sdp/singleton_auto_pointer.h"
#include "program/tree/CCertTree.h"
#include "program/ui/certlist/CAlgoIDToName.h"

namespace {

// 1. The login/logout broadcast message.
[[maybe_unused]] const UINT g_loginLogoutMessage = RegisterWindowMessageW(kLoginLogoutMessageName);

// 2. The application object.
CvkCertApp g_app;

// 3. The single-instance guard: building it runs the check, before any window exists.
SDP::singleton_auto_pointer<STools::CAlreadyLaunched<CMutextInfo>> g_instanceGuardKeeper;

// 4. The help singleton's holder takes its place here, with the help part of the program.

// 5. The singleton registry: it destroys the provider context cache before the reader monitor.
SDP::SINGLETON::CSingletonRegistry& g_singletonRegistry = SDP::SINGLETON::Registry();

// 6. The signature algorithm name table.
SDP::singleton_auto_pointer<SLocalTools::CAlgoIDToName> g_algoIdToNameKeeper;

// 7. The certificate tree.
SVKCERTTREE::CCertTreePtr g_certTreeKeeper;

}  // namespace

CvkCertApp& TheApp() {
    return g_app;
}
