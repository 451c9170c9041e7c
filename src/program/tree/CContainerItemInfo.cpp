#include "program/tree/CContainerItemInfo.h"

#include "program/app/LangResource.h"
#include "program/app/MenuModel.h"
#include "program/ops/ContainerCommands.h"
#include "program/token/CCertException.h"
#include "program/token/CContainerInfo.h"
#include "program/token/CTokenInfo.h"
#include "program/tree/CCertTree.h"
#include "program/tree/CCertificateItemInfo.h"
#include "program/tree/CContainerOperationHook.h"
#include "program/tree/NodeCommandRules.h"
#include "program/tree/PfxImportCommand.h"
#include "program/ui/CMenuItemSwitch.h"
#include "program/ui/IUserInterface.h"
#include "res/resource.h"

using SVKCERT::SEXCPT::CCertException;

namespace STreeItemInfo {

CContainerItemInfo::CContainerItemInfo(CFrameFacadePtr facade, std::wstring readerName,
                                       std::wstring containerName)
    : CItemInfoDefault(std::move(facade)),
      m_containerName(std::move(containerName)),
      m_readerName(std::move(readerName)) {}

std::wstring CContainerItemInfo::GetPath() const {
    return m_readerName + L"\\" + m_containerName;
}

int CContainerItemInfo::GetImage() {
    return IDI_CONTAINER;
}

int CContainerItemInfo::GetSelectedImage() {
    return IDI_CONTAINER;
}

std::optional<bool> CContainerItemInfo::ReadDefault() {
    try {
        SVKCERTTREE::CCertTreePtr tree;
        CContainerInfo* container = tree->FindContainer(m_readerName, m_containerName);
        if (container == nullptr) {
            return std::nullopt;
        }
        return container->IsDefault();
    } catch (const CCertException&) {
        return std::nullopt;
    }
}

bool CContainerItemInfo::IsBold() {
    return ReadDefault().value_or(false);
}

bool CContainerItemInfo::IsCommandEnabled(UINT commandId) {
    const DWORD loginState = LoginStateOf(m_readerName);
    // The default mark is read only for the commands that depend on it.
    const bool needsMark =
        commandId == ID_ACTIONS_SET_DEFAULT || commandId == ID_ACTIONS_REMOVE_DEFAULT;
    return IsContainerCommandEnabled(commandId, loginState,
                                     needsMark ? ReadDefault() : std::optional<bool>(false));
}

void CContainerItemInfo::OnCommand(UINT commandId) {
    if (!IsCommandEnabled(commandId)) {
        return;
    }
    // The tree may drop this node's item when it hears the operation's end.
    const ITreeItemInfoPtr keepAlive = weak_from_this().lock();
    // Tokens are looked up by the reader's name where they are used: the deletion's question
    // lets the tree be read afresh, which frees the token information it held.
    SVKCERTTREE::CCertTreePtr tree;
    CContainerOperationHook hook(Facade(), *this);
    switch (commandId) {
        case ID_ACTIONS_DELETE_CONTAINER:
            SVKCERT::DeleteContainerCommand(
                m_readerName,
                [&tree](const std::wstring& reader) { return tree->FindToken(reader); },
                m_containerName, &hook);
            break;
        case ID_ACTIONS_SET_DEFAULT:
            SVKCERT::SetDefaultContainerCommand(tree->FindToken(m_readerName), m_containerName,
                                                &hook);
            break;
        case ID_ACTIONS_REMOVE_DEFAULT:
            SVKCERT::RemoveDefaultContainerCommand(tree->FindToken(m_readerName), m_containerName,
                                                   &hook);
            break;
        case ID_ACTIONS_IMPORT_CERT:
            AskAndRunPfxImport(Facade(), m_readerName);
            break;
        default:
            break;
    }
}

void CContainerItemInfo::OnUpdate(const CUpdateRequest& request) {
    if (request.code != kUpdateSelected) {
        return;
    }
    IRightView* view = Facade().ReplaceRightView(ERightViewKind::Container);
    if (IContainerViewFill* fill = view != nullptr ? view->AsContainer() : nullptr) {
        fill->FillContainerName(m_containerName);
    }
}

bool CContainerItemInfo::ShowContextMenu(int screenX, int screenY) {
    return TrackContextMenu(IDR_CONTAINER_MENU, screenX, screenY, [this](CMenu& menu) {
        CMenuItemSwitch alternatives;
        alternatives.Attach(&menu, {ID_ACTIONS_SET_DEFAULT, ID_ACTIONS_REMOVE_DEFAULT});
        alternatives.Show(IsBold() ? ID_ACTIONS_REMOVE_DEFAULT : ID_ACTIONS_SET_DEFAULT);
        for (const UINT id : {ID_ACTIONS_DELETE_CONTAINER, ID_ACTIONS_SET_DEFAULT,
                              ID_ACTIONS_REMOVE_DEFAULT, ID_ACTIONS_IMPORT_CERT}) {
            menu.EnableCommand(id, IsCommandEnabled(id));
        }
    });
}

bool CContainerItemInfo::EnumChilds(std::vector<ITreeItemInfoPtr>& out) {
    const CEnumingScope feedback(*this);
    for (const DWORD keySpec : {AT_KEYEXCHANGE, AT_SIGNATURE}) {
        try {
            out.push_back(std::make_shared<CCertificateItemInfo>(GetFacade(), m_readerName,
                                                                 m_containerName, keySpec));
        } catch (const CCertException&) {
            // No key of that specification: no node.
        }
    }
    return true;
}

}  // namespace STreeItemInfo
