#include "program/tree/CCertificateItemInfo.h"

#include "platform/crypto/CryptApi.h"
#include "platform/errors/WinError.h"
#include "platform/text/FormatString.h"
#include "program/app/LangResource.h"
#include "program/app/MenuModel.h"
#include "program/ops/CertStoreRegistration.h"
#include "program/ops/CertificateFileCheck.h"
#include "program/ops/CertificateFileExport.h"
#include "program/ops/CertificateImport.h"
#include "program/ops/KeyPublicKey.h"
#include "program/token/CCertException.h"
#include "program/token/CKeyInfo.h"
#include "program/token/LoginState.h"
#include "program/tree/CCertTree.h"
#include "program/tree/CCursorSwitch.h"
#include "program/tree/CTreeMessageHub.h"
#include "program/tree/NodeCommandRules.h"
#include "program/ui/CMenuItemSwitch.h"
#include "program/ui/IUserInterface.h"
#include "res/resource.h"

using SVKCERT::SEXCPT::CCertException;

namespace STreeItemInfo {

namespace {

// What a failed key lookup raises: the container has no key of that specification (or the
// token is gone).
constexpr DWORD kNoKey = static_cast<DWORD>(NTE_NO_KEY);

}  // namespace

CCertificateItemInfo::CCertificateItemInfo(CFrameFacadePtr facade, std::wstring readerName,
                                           std::wstring containerName, DWORD keySpec)
    : CItemInfoDefault(std::move(facade)),
      m_keySpec(keySpec),
      m_readerName(std::move(readerName)),
      m_containerName(std::move(containerName)) {
    SVKCERTTREE::CCertTreePtr tree;
    CKeyInfo* key = tree->FindKey(m_readerName, m_containerName, m_keySpec);
    if (key == nullptr) {
        throw CCertException(kNoKey);
    }
    // Reads the certificate once (failures leave it empty) along with the label.
    m_lastDisplayText = ComputeDisplayText();
}

std::wstring CCertificateItemInfo::GetPath() const {
    return m_readerName + L"\\" + m_containerName + L"\\" +
           (m_keySpec == AT_KEYEXCHANGE ? L"Exchange" : L"Signature");
}

std::wstring CCertificateItemInfo::GetDisplayText() {
    m_lastDisplayText = ComputeDisplayText();
    return m_lastDisplayText;
}

std::wstring CCertificateItemInfo::ComputeDisplayText() {
    std::wstring name;
    DWORD length = 0;
    try {
        SVKCERTTREE::CCertTreePtr tree;
        if (CKeyInfo* key = tree->FindKey(m_readerName, m_containerName, m_keySpec)) {
            if (key->HasCertificate()) {
                name = key->GetCertificateDisplayName();
            }
            length = key->GetKeyLength();
        }
    } catch (...) {
        // Reading failures leave the name empty and the length undefined.
    }
    std::wstring text = name;
    if (!text.empty()) {
        text += L' ';
    }
    text += L"(";
    text += m_keySpec == AT_KEYEXCHANGE ? L"Exchange Key" : L"Signature Key";
    text += L", ";
    text += length != 0 ? std::to_wstring(length) : std::wstring(L"Length Undefined");
    text += L")";
    return text;
}

std::vector<BYTE> CCertificateItemInfo::GetCertificate() {
    try {
        SVKCERTTREE::CCertTreePtr tree;
        if (CKeyInfo* key = tree->FindKey(m_readerName, m_containerName, m_keySpec)) {
            return key->GetCertificate();
        }
    } catch (...) {
        // A failed lookup counts as no certificate.
    }
    return {};
}

bool CCertificateItemInfo::HasCertificate() {
    return !GetCertificate().empty();
}

bool CCertificateItemInfo::IsRegistered() {
    try {
        SVKCERTTREE::CCertTreePtr tree;
        CKeyInfo* key = tree->FindKey(m_readerName, m_containerName, m_keySpec);
        return key != nullptr && key->IsRegistered();
    } catch (...) {
        return false;
    }
}

int CCertificateItemInfo::GetImage() {
    if (!HasCertificate()) {
        return IDI_KEY_NO_CERT;
    }
    return IsRegistered() ? IDI_KEY_CERT_REGISTERED : IDI_KEY_CERT;
}

bool CCertificateItemInfo::IsCommandEnabled(UINT commandId) {
    CKeyFacts facts;
    facts.loginState = LoginStateOf(m_readerName);
    facts.hasCertificate = HasCertificate();
    facts.registered = facts.hasCertificate && IsRegistered();
    return IsKeyCommandEnabled(commandId, facts);
}

void CCertificateItemInfo::OnCommand(UINT commandId) {
    if (!IsCommandEnabled(commandId)) {
        return;
    }
    switch (commandId) {
        case ID_ACTIONS_EXPORT_CERT:
            ExportCertificate();
            break;
        case ID_ACTIONS_IMPORT_CERT:
            ImportCertificate();
            break;
        case ID_ACTIONS_ADD_TO_STORE:
            ChangeStoreRegistration(SVKCERT::EStoreChange::Add);
            break;
        case ID_ACTIONS_REMOVE_FROM_STORE:
            ChangeStoreRegistration(SVKCERT::EStoreChange::Remove);
            break;
        default:
            break;
    }
}

void CCertificateItemInfo::ChangeStoreRegistration(SVKCERT::EStoreChange change) {
    SVKCERTTREE::CCertTreePtr tree;
    CKeyInfo* key = nullptr;
    try {
        key = tree->FindKey(m_readerName, m_containerName, m_keySpec);
    } catch (const CCertException&) {
        key = nullptr;  // the token left: nothing to register
    }
    if (key != nullptr) {
        SVKCERT::ChangeStoreRegistration(change, *key, tree->GetProviderDescriptor(), Facade(),
                                         this);
    }
}

std::vector<BYTE> CCertificateItemInfo::ReadPublicKey() {
    try {
        SVKCERTTREE::CCertTreePtr tree;
        if (CKeyInfo* key = tree->FindKey(m_readerName, m_containerName, m_keySpec)) {
            return SVKCERT::ReadKeyPublicKey(*key, LoginStateOf(m_readerName),
                                             [this](DWORD code) { SendKeyMsg(code); });
        }
    } catch (const CCertException&) {
        // No public key to match a certificate file against.
    }
    return {};
}

void CCertificateItemInfo::ExportCertificate() {
    SVKCERT::SExportSource source;
    source.certificate = GetCertificate();
    if (source.certificate.empty()) {
        return;
    }
    try {
        SVKCERTTREE::CCertTreePtr tree;
        if (CKeyInfo* key = tree->FindKey(m_readerName, m_containerName, m_keySpec)) {
            source.certificateName = key->GetCertificateDisplayName();
        }
    } catch (const CCertException&) {
        return;
    }
    source.readerName = m_readerName;
    source.containerName = m_containerName;
    source.keySpec = m_keySpec;
    source.pfxOffered = LoginStateOf(m_readerName) == SVKCERT::kLoginUser;
    SVKCERT::ExportCertificateCommand(source, Facade());
}

void CCertificateItemInfo::ImportCertificate() {
    const std::vector<BYTE> publicKey = ReadPublicKey();
    if (publicKey.empty()) {
        return;
    }
    const bool pfxOffered = LoginStateOf(m_readerName) == SVKCERT::kLoginUser;
    SFileDialogRequest request;
    request.open = true;
    request.title = LoadLangString(IDS_IMPORT_DIALOG_TITLE);
    request.filter = LoadLangString(pfxOffered ? IDS_FILTER_IMPORT_PFX : IDS_FILTER_IMPORT);
    request.defaultExtension = L"cer";
    request.helpTopic = "7_CertificateImport.html";
    request.check = [publicKey](const std::wstring& path) {
        return SVKCERT::CertificateFilePasses(path, publicKey);
    };
    const std::optional<SFileDialogResult> file = GetUserInterface().FileDialog(request);
    if (!file || file->path.empty()) {
        return;
    }
    if (pfxOffered && file->filterIndex == 2) {
        SVKCERTTREE::CCertTreePtr tree;
        Facade().RunPfxImportWizard(tree->GetProviderDescriptor(), file->path, m_readerName);
        return;
    }
    // Looked up again: the token may have left while the dialog was open.
    SVKCERTTREE::CCertTreePtr tree;
    SVKCERT::SImportTarget target{nullptr, nullptr, m_containerName};
    try {
        target.key = tree->FindKey(m_readerName, m_containerName, m_keySpec);
        target.token = tree->FindToken(m_readerName);
    } catch (const SVKCERT::SEXCPT::CCertException&) {
        target.key = nullptr;
    }
    if (SVKCERT::ImportCertificateFile(file->path, target, Facade()) ==
        SVKCERT::EImportResult::Done) {
        Facade().RedrawNode(this);
        OnUpdate(CUpdateRequest{kUpdateDataChanged});
    }
}

void CCertificateItemInfo::OnUpdate(const CUpdateRequest& request) {
    if (request.code != kUpdateSelected && request.code != kUpdateDataChanged) {
        return;
    }
    const std::vector<BYTE> certificate = GetCertificate();
    if (!certificate.empty()) {
        IRightView* view = Facade().ReplaceRightView(ERightViewKind::Certificate);
        if (ICertificateViewFill* fill = view != nullptr ? view->AsCertificate() : nullptr) {
            fill->FillCertificate(certificate);
        }
        return;
    }
    IRightView* view = Facade().ReplaceRightView(ERightViewKind::Key);
    ShowKeyInformation(view != nullptr ? view->AsKey() : nullptr);
}

void CCertificateItemInfo::ShowKeyInformation(IKeyViewFill* fill) {
    UI::CCursorSwitch wait(IDC_WAIT, true);
    wait.On();
    Facade().SetStatusMessage(FormatString(LoadLangString(IDS_LOADING_KEY_INFO), GetDisplayText()));
    if (LoginStateOf(m_readerName) == SVKCERT::kLoginUser) {
        SendKeyMsg(1);
        ReadKeyInformation(fill);
        SendKeyMsg(2);
    }
    Facade().SetStatusMessage();
}

void CCertificateItemInfo::ReadKeyInformation(IKeyViewFill* fill) {
    SVKCERTTREE::CCertTreePtr tree;
    CKeyInfo* key = tree->FindKey(m_readerName, m_containerName, m_keySpec);
    if (key == nullptr || fill == nullptr) {
        return;
    }
    fill->FillKeyLength(key->GetKeyLength());
    if (const DWORD permissions = key->GetPermissions(); permissions != 0) {
        fill->FillPermissions(permissions);
    }
    try {
        const std::vector<BYTE> blob = key->GetOpenKey().ExportBlob(PUBLICKEYBLOB);
        if (!blob.empty()) {
            fill->FillPublicKey(blob);
        }
    } catch (const CCertException&) {
        // The view shows no public key.
    }
}

void CCertificateItemInfo::SendKeyMsg(DWORD code) {
    if (CTreeMessageHub* hub = Facade().MessageHub()) {
        hub->key.Send(CKeyMsg{this, code});
    }
}

bool CCertificateItemInfo::ShowContextMenu(int screenX, int screenY) {
    return TrackContextMenu(IDR_CERTIFICATE_MENU, screenX, screenY, [this](CMenu& menu) {
        CMenuItemSwitch alternatives;
        alternatives.Attach(&menu, {ID_ACTIONS_ADD_TO_STORE, ID_ACTIONS_REMOVE_FROM_STORE});
        alternatives.Show(IsCommandEnabled(ID_ACTIONS_ADD_TO_STORE) ? ID_ACTIONS_ADD_TO_STORE
                                                                    : ID_ACTIONS_REMOVE_FROM_STORE);
        for (const UINT id : {ID_ACTIONS_EXPORT_CERT, ID_ACTIONS_IMPORT_CERT,
                              ID_ACTIONS_ADD_TO_STORE, ID_ACTIONS_REMOVE_FROM_STORE}) {
            menu.EnableCommand(id, IsCommandEnabled(id));
        }
    });
}

}  // namespace STreeItemInfo
