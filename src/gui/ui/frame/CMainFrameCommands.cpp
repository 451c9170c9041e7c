// The main window's commands: which are enabled or checked, what each does, and the menus and
// tool bar brought in line with the enabling.
#include <QAction>
#include <QMenu>

#include "gui/help/CHelper.h"
#include "gui/resources/LangMenuBuilder.h"
#include "gui/tree/CItemsTreeView.h"
#include "gui/ui/frame/CAboutDlg.h"
#include "gui/ui/frame/CFrameStatusBar.h"
#include "gui/ui/frame/CFrameToolBar.h"
#include "gui/ui/frame/CMainFrame.h"
#include "gui/ui/frame/CommandTexts.h"
#include "gui/ui/frame/TokenLogin.h"
#include "program/app/UiLanguage.h"
#include "program/token/LoginState.h"
#include "res/resource.h"

void CMainFrame::BuildCommandTable() {
    // Node commands go to the selected node; some change what the bars show of its token.
    for (const UINT id :
         {ID_ACTIONS_EXPORT_CERT, ID_ACTIONS_ADD_TO_STORE, ID_ACTIONS_REMOVE_FROM_STORE,
          ID_ACTIONS_IMPORT_CERT, ID_ACTIONS_DELETE_CONTAINER, ID_ACTIONS_SET_DEFAULT,
          ID_ACTIONS_REMOVE_DEFAULT}) {
        const bool changesTokenState = id != ID_ACTIONS_EXPORT_CERT &&
                                       id != ID_ACTIONS_ADD_TO_STORE &&
                                       id != ID_ACTIONS_REMOVE_FROM_STORE;
        m_commands.Add(
            {id}, [this, id, changesTokenState] { RunNodeCommand(id, changesTokenState); },
            [this, id] { return NodeAccepts(id); });
    }
    m_commands.Add(
        {ID_ACTIONS_LOGIN}, [this] { LoginToken(this, SelectedNode()->GetTokenName()); },
        [this] { return SelectedTokenLoginState() == SVKCERT::kLoginGuest; });
    m_commands.Add(
        {ID_ACTIONS_LOGOUT}, [this] { LogoutToken(SelectedNode()->GetTokenName()); },
        [this] { return IsSelectedTokenLoggedIn(); });
    m_commands.Add({ID_FILE_EXIT}, [this] { close(); });
    m_commands.Add({ID_VIEW_REFRESH}, [this] { Refresh(); });
    m_commands.Add(
        {ID_VIEW_SHOW_CONTAINERS},
        [this] {
            m_showContainers = !m_showContainers;
            Refresh();
        },
        nullptr, [this] { return m_showContainers; });
    // Without its bar the command toggles nothing visible.
    const auto toggle = [](QWidget* bar) {
        if (bar != nullptr) {
            bar->setVisible(bar->isHidden());
        }
    };
    const auto shown = [](const QWidget* bar) { return bar != nullptr && !bar->isHidden(); };
    m_commands.Add(
        {ID_VIEW_TOOLBAR}, [=, this] { toggle(m_toolBar); }, nullptr,
        [=, this] { return shown(m_toolBar); });
    m_commands.Add(
        {ID_VIEW_STATUS_BAR}, [=, this] { toggle(m_statusBar); }, nullptr,
        [=, this] { return shown(m_statusBar); });
    m_commands.Add({ID_VIEW_SWITCH_LANGUAGE}, [] { ToggleUiLanguage(); });
    m_commands.Add({ID_TAB_PANE, ID_NEXT_PANE, ID_PREV_PANE}, [this] { ActivateOtherPane(); });
    m_commands.Add({ID_APP_ABOUT}, [this] {
        CAboutDlg dialog(this);
        dialog.exec();
    });
    for (const auto& command : {std::pair{ID_HELP_CONTENTS, SHTMLHelper::EHelpTab::Contents},
                                std::pair{ID_HELP_INDEX, SHTMLHelper::EHelpTab::Index},
                                std::pair{ID_HELP_SEARCH, SHTMLHelper::EHelpTab::Search}}) {
        // A structured binding cannot be captured by clang 14.
        const SHTMLHelper::EHelpTab tab = command.second;
        m_commands.Add({static_cast<UINT>(command.first)}, [tab] {
            SDP::singleton_auto_pointer<SHTMLHelper::CHelper> help;
            help->ShowHelp(tab, QString::fromLatin1(SHTMLHelper::kContentsTopic));
        });
    }
}

bool CMainFrame::NodeAccepts(UINT id) {
    NodePtr node = SelectedNode();
    return node && node->IsCommandEnabled(id);
}

bool CMainFrame::IsSelectedTokenLoggedIn() {
    const std::optional<DWORD> state = SelectedTokenLoginState();
    return state == SVKCERT::kLoginUser || state == SVKCERT::kLoginAdmin;
}

bool CMainFrame::IsCommandEnabled(UINT id) {
    return m_commands.IsEnabled(id);
}

bool CMainFrame::IsCommandChecked(UINT id) const {
    return m_commands.IsChecked(id);
}

void CMainFrame::OnCommand(UINT id) {
    m_commands.Run(id);
}

void CMainFrame::RunNodeCommand(UINT id, bool changesTokenState) {
    if (NodePtr node = SelectedNode()) {
        node->OnCommand(id);
    }
    if (changesTokenState) {
        UpdateToolBarToggles();
        UpdateStatusPanes();
    }
}

void CMainFrame::Refresh() {
    if (m_treeView != nullptr) {
        m_tokens.Refresh(*m_treeView);
    }
    UpdateToolBarToggles();
    UpdateStatusPanes();
    if (m_treeView != nullptr) {
        m_treeView->update();
    }
}

void CMainFrame::UpdateMenu(QMenu* menu) {
    if (menu == TopMenu(kActionsMenuPosition)) {
        UpdateActionsMenuSlots();
        if (CMenu* actions = m_menuModel.SubMenu(kActionsMenuPosition)) {
            CLangMenuBuilder::Fill(menu, *actions);
            for (QAction* action : menu->actions()) {
                const UINT id = CLangMenuBuilder::CommandId(action);
                action->setStatusTip(
                    QString::fromStdWString(CommandPrompt(id).value_or(std::wstring())));
            }
        }
    }
    for (QAction* action : menu->actions()) {
        const UINT id = CLangMenuBuilder::CommandId(action);
        if (id == 0) {
            continue;
        }
        action->setEnabled(IsCommandEnabled(id));
        const bool checked = IsCommandChecked(id);
        action->setCheckable(checked || action->isCheckable());
        action->setChecked(checked);
    }
}

void CMainFrame::UpdateActionsMenuSlots() {
    m_storeSwitch.Show(NodeAccepts(ID_ACTIONS_REMOVE_FROM_STORE) ? ID_ACTIONS_REMOVE_FROM_STORE
                                                                 : ID_ACTIONS_ADD_TO_STORE);
    m_defaultSwitch.Show(NodeAccepts(ID_ACTIONS_REMOVE_DEFAULT) ? ID_ACTIONS_REMOVE_DEFAULT
                                                                : ID_ACTIONS_SET_DEFAULT);
}

void CMainFrame::UpdateCommandEnabling() {
    if (m_toolBar == nullptr) {
        return;
    }
    for (int index = 0; index < m_toolBar->ButtonCount(); ++index) {
        const UINT id = m_toolBar->ButtonCommand(index);
        if (QAction* action = m_toolBar->ButtonAction(index); action && id != 0) {
            action->setEnabled(IsCommandEnabled(id));
        }
    }
}
