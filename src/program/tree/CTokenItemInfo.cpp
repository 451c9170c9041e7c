#include "program/tree/CTokenItemInfo.h"

#include "platform/middleware/VKAPIi.h"
#include "platform/text/FormatString.h"
#include "program/app/LangResource.h"
#include "program/app/MenuModel.h"
#include "program/token/CTokenInfo.h"
#include "program/tree/CCertTree.h"
#include "program/tree/CContainerItemInfo.h"
#include "program/tree/CCursorSwitch.h"
#include "program/tree/NodeCommandRules.h"
#include "program/tree/PfxImportCommand.h"
#include "program/ui/IUserInterface.h"
#include "res/resource.h"

namespace STreeItemInfo {

namespace {

// Mode in which the node keeps its reader open.
constexpr unsigned long kReaderOpenMode = 2;

}  // namespace

CTokenItemInfo::CTokenItemInfo(CFrameFacadePtr facade, std::wstring readerName)
    : CItemInfoDefault(std::move(facade)),
      m_readerName(std::move(readerName)),
      m_context(std::make_unique<VKAPIi_Context>()) {
    m_context->Init(0);
    if (!m_readerName.empty()) {
        m_context->Open_Reader(m_readerName.c_str(), kReaderOpenMode, &m_card);
    }
}

CTokenItemInfo::~CTokenItemInfo() {
    if (m_card != nullptr) {
        m_context->Close_Reader(&m_card, 0);
    }
    m_context->Free();
}

std::wstring CTokenItemInfo::GetDisplayText() {
    std::wstring label;
    try {
        SVKCERTTREE::CCertTreePtr tree;
        if (CTokenInfo* token = tree->FindToken(m_readerName)) {
            label = token->GetTokenRecord().label;
        }
    } catch (...) {
        label.clear();
    }
    if (label.empty()) {
        label = L"<Unnamed>";
    }
    return label + L" [" + m_readerName + L"] ";
}

int CTokenItemInfo::GetImage() {
    return IDI_TOKEN;
}

int CTokenItemInfo::GetSelectedImage() {
    return IDI_TOKEN;
}

bool CTokenItemInfo::IsCommandEnabled(UINT commandId) {
    return IsTokenCommandEnabled(commandId, LoginStateOf(m_readerName));
}

void CTokenItemInfo::OnCommand(UINT commandId) {
    if (commandId == ID_ACTIONS_IMPORT_CERT && IsCommandEnabled(commandId)) {
        AskAndRunPfxImport(Facade(), m_readerName);
    }
}

void CTokenItemInfo::OnUpdate(const CUpdateRequest& request) {
    if (request.code == kUpdateSelected) {
        ShowTokenInformation();
    }
}

void CTokenItemInfo::ShowTokenInformation() {
    const CFrameFacade& facade = Facade();
    UI::CCursorSwitch wait(IDC_WAIT, true);
    wait.On();
    facade.SetStatusMessage(FormatString(LoadLangString(IDS_READING_TOKEN_INFO), m_readerName));
    IRightView* view = facade.ReplaceRightView(ERightViewKind::TokenInfo);
    ITokenInfoViewFill* fill = view != nullptr ? view->AsTokenInfo() : nullptr;
    if (fill != nullptr) {
        SVKCERTTREE::CCertTreePtr tree;
        if (CTokenInfo* token = tree->FindToken(m_readerName)) {
            fill->FillTokenRecord(token->GetTokenRecord());
        }
    }
    facade.SetStatusMessage();
}

bool CTokenItemInfo::ShowContextMenu(int screenX, int screenY) {
    return TrackContextMenu(IDR_TOKEN_MENU, screenX, screenY, [this](CMenu& menu) {
        menu.EnableCommand(ID_ACTIONS_IMPORT_CERT, IsCommandEnabled(ID_ACTIONS_IMPORT_CERT));
    });
}

bool CTokenItemInfo::EnumChilds(std::vector<ITreeItemInfoPtr>& out) {
    const CEnumingScope feedback(*this);
    SVKCERTTREE::CCertTreePtr tree;
    CTokenInfo* token = tree->FindToken(m_readerName);
    if (token == nullptr) {
        return true;
    }
    std::vector<ITreeItemInfoPtr> containers;
    for (const auto& container : token->GetContainers()) {
        containers.push_back(
            std::make_shared<CContainerItemInfo>(GetFacade(), m_readerName, container->GetName()));
    }
    if (Facade().ShowContainers()) {
        out.insert(out.end(), containers.begin(), containers.end());
        return true;
    }
    for (const auto& container : containers) {
        container->EnumChilds(out);
    }
    return true;
}

}  // namespace STreeItemInfo
