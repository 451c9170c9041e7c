#include "gui/ui/frame/CMainFrame.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeySequence>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QShortcut>
#include <QSplitter>
#include <QStatusTipEvent>
#include <QTimer>
#include <QTreeView>
#include <algorithm>
#include <set>

#include "desktop/BroadcastReceiver.h"
#include "desktop/DeviceChangeNotifier.h"
#include "desktop/RegisteredMessages.h"
#include "gui/resources/LangMenuBuilder.h"
#include "gui/resources/LanguageEvents.h"
#include "gui/tree/CItemsTreeView.h"
#include "gui/ui/frame/CFrameStatusBar.h"
#include "gui/ui/frame/CFrameToolBar.h"
#include "gui/ui/frame/CommandTexts.h"
#include "gui/ui/frame/LoginLogoutMessage.h"
#include "gui/ui/frame/TokenLogin.h"
#include "gui/ui/views/RightViewFactory.h"
#include "platform/text/FormatString.h"
#include "program/app/LangResource.h"
#include "program/app/UiLanguage.h"
#include "program/core/settings/CRawStruct.h"
#include "program/core/settings/CSettingBool.h"
#include "program/token/CTokenInfo.h"
#include "program/token/LoginState.h"
#include "program/token/ReaderNames.h"
#include "program/token/STokenRecord.h"
#include "program/tree/CUpdateRequest.h"
#include "program/tree/ITreeItemInfo.h"
#include "program/ui/IUserInterface.h"
#include "res/resource.h"

namespace {

// The Actions menu's place in the main menu.
constexpr int kActionsMenuPosition = 2;

// Tool bar images of the login button.
constexpr int kLoginImage = 0;
constexpr int kLogoutImage = 8;

// On the client area's first right view while nothing has used it: its kind, and the least
// width it was made with.
constexpr const char* kUnusedViewKind = "vkUnusedViewKind";
constexpr const char* kUnusedViewMinWidth = "vkUnusedViewMinWidth";

// The tree pane's width where none is stored.
constexpr int kDefaultTreeWidth = 300;

// How often the idle update of the tool bar and the status panes runs.
constexpr int kIdleUpdateMs = 250;

// Show commands of a stored placement.
constexpr DWORD SW_HIDE = 0;
constexpr DWORD SW_SHOWNORMAL = 1;
constexpr DWORD SW_SHOWMINIMIZED = 2;
constexpr DWORD SW_SHOWMAXIMIZED = 3;
constexpr DWORD SW_MINIMIZE = 6;
constexpr DWORD SW_SHOWMINNOACTIVE = 7;
constexpr DWORD SW_FORCEMINIMIZE = 11;

bool IsNodeCommand(UINT id) {
    switch (id) {
        case ID_ACTIONS_EXPORT_CERT:
        case ID_ACTIONS_IMPORT_CERT:
        case ID_ACTIONS_ADD_TO_STORE:
        case ID_ACTIONS_REMOVE_FROM_STORE:
        case ID_ACTIONS_SET_DEFAULT:
        case ID_ACTIONS_REMOVE_DEFAULT:
        case ID_ACTIONS_DELETE_CONTAINER:
            return true;
        default:
            return false;
    }
}

// Commands after which the token's state shown in the bars may have changed.
bool ChangesTokenState(UINT id) {
    return id == ID_ACTIONS_IMPORT_CERT || id == ID_ACTIONS_DELETE_CONTAINER ||
           id == ID_ACTIONS_SET_DEFAULT || id == ID_ACTIONS_REMOVE_DEFAULT;
}

QString Q(const std::wstring& text) {
    return QString::fromStdWString(text);
}

bool IsWithin(const QWidget* widget, const QWidget* container) {
    for (const QWidget* w = widget; w != nullptr; w = w->parentWidget()) {
        if (w == container) {
            return true;
        }
    }
    return false;
}

// What tells one token from another: its ID, label and model, empty for an empty reader.
std::wstring TokenIdentity(const STokenRecord& record) {
    return FormatString(L"%08X", record.tokenId) + L"|" + record.label + L"|" + record.typeText;
}

void ForgetUnusedView(QWidget* view) {
    if (view != nullptr) {
        view->setProperty(kUnusedViewKind, QVariant());
        view->setProperty(kUnusedViewMinWidth, QVariant());
    }
}

// True when `view` is still unused and of `kind`: it then serves as a fresh one, as it was
// made. Either way it no longer counts as unused.
bool TakeUnusedView(QWidget* view, ERightViewKind kind) {
    if (view == nullptr) {
        return false;
    }
    const QVariant unusedKind = view->property(kUnusedViewKind);
    const int minWidth = view->property(kUnusedViewMinWidth).toInt();
    ForgetUnusedView(view);
    if (!unusedKind.isValid() || unusedKind.toInt() != static_cast<int>(kind)) {
        return false;
    }
    // Without the stored pane width applied since, just like a view made now.
    view->setMinimumWidth(minWidth);
    return true;
}

// Gives the keyboard to the first control of the pane that takes it, else to the pane itself.
void FocusPane(QWidget* pane) {
    if (pane == nullptr) {
        return;
    }
    if ((pane->focusPolicy() & Qt::TabFocus) == 0) {
        for (QWidget* child : pane->findChildren<QWidget*>()) {
            if ((child->focusPolicy() & Qt::TabFocus) != 0 && child->isEnabled() &&
                child->isVisibleTo(pane)) {
                child->setFocus(Qt::TabFocusReason);
                return;
            }
        }
        pane->setFocusPolicy(Qt::StrongFocus);
    }
    pane->setFocus(Qt::TabFocusReason);
}

}  // namespace

CMainFrame::CMainFrame() {
    setObjectName(QStringLiteral("CMainFrame"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    BuildSettings();
}

CMainFrame::~CMainFrame() {
    m_enumReceiver.SetOwner(nullptr);
    m_keyReceiver.SetOwner(nullptr);
    m_tokenLevelReceiver.SetOwner(nullptr);
    m_selectedReceiver.SetOwner(nullptr);
    if (m_idleTimer != nullptr) {
        m_idleTimer->stop();
    }
    // The views go while the hub and the facade they use are still here.
    delete m_treeView;
    m_treeView = nullptr;
    m_rightView = nullptr;
    delete m_rightWidget.data();
    if (m_facade) {
        m_facade->Detach();
    }
}

void CMainFrame::BuildSettings() {
    const std::wstring base = LoadLangString(IDS_SETTINGS_KEY, LANG_NEUTRAL_DEFAULT_ID);
    const std::wstring key = base + L"\\Settings";
    m_settings.Add(
        std::make_unique<CRawStruct<CWindowPlacement>>(key, L"WindowPlacement", &m_placement));
    m_settings.Add(std::make_unique<CRawStruct<SLocalTools::CSplitterItemInfo>>(
        key, L"LeftPaneInfo", &m_leftPane));
    m_settings.Add(std::make_unique<CRawStruct<SLocalTools::CSplitterItemInfo>>(
        key, L"RightPaneInfo", &m_rightPane));
    m_settings.Add(std::make_unique<CSettingBool>(key, L"StatusBarVisible", &m_statusBarVisible));
    m_settings.Add(std::make_unique<CSettingBool>(key, L"ToolBarVisible", &m_toolBarVisible));
    m_settings.Add(std::make_unique<CSettingBool>(key, L"ShowContainers", &m_showContainers));
    // The help window's state joins this list under base + "\HelpSettings" with the help part.
}

void CMainFrame::CreateEarlyParts() {
    if (m_toolBar != nullptr) {
        return;  // made already, the tool bar first
    }
    CreateToolBar();
    CreateShortcuts();
    ListenToPlatform();
    connect(menuBar(), &QMenuBar::triggered, this,
            [this](QAction* action) { OnCommand(CLangMenuBuilder::CommandId(action)); });
    LoadMenu();
    setWindowTitle(Q(LoadLangString(IDR_MAINFRAME)));
}

bool CMainFrame::Create() {
    CreateEarlyParts();
    // The status bar before the forms: it needs none of their fonts, which another thread may
    // still be measuring.
    CreateStatusBar();
    if (!CreateClientArea()) {
        return false;
    }
    m_settings.LoadAll();
    ApplyPlacement();
    // The right pane shows the token view: the one the client area has just made, still empty.
    ApplySplitterWidths();
    m_statusBar->setVisible(m_statusBarVisible);
    m_toolBar->setVisible(m_toolBarVisible);
    UpdateToolBarToggles();
    UpdateToolBarToggles();

    m_idleTimer = new QTimer(this);
    connect(m_idleTimer, &QTimer::timeout, this, [this] {
        UpdateCommandEnabling();
        UpdateStatusPanes();
    });
    m_idleTimer->start(kIdleUpdateMs);

    QMetaObject::invokeMethod(this, &CMainFrame::OnFrameReady, Qt::QueuedConnection);
    return true;
}

bool CMainFrame::CreateClientArea() {
    m_facade = std::make_shared<CFrameFacade>(this);
    m_acceptors.SetFacade(m_facade);
    STreeItemInfo::UI::RegisterDefaultCreators(m_acceptors);
    m_enumReceiver.SetOwner(this);
    m_keyReceiver.SetOwner(this);
    m_tokenLevelReceiver.SetOwner(this);
    m_selectedReceiver.SetOwner(this);
    m_hub.itemChildsEnuming.Attach(m_enumReceiver);
    m_hub.key.Attach(m_keyReceiver);
    m_hub.tokenLevelUpdateNeeded.Attach(m_tokenLevelReceiver);
    m_hub.itemInTheTreeSelected.Attach(m_selectedReceiver);

    m_splitter = new QSplitter(Qt::Horizontal, this);
    m_splitter->setObjectName(QStringLiteral("splitter"));
    m_splitter->setChildrenCollapsible(false);
    m_splitter->setHandleWidth(4);
    setCentralWidget(m_splitter);

    const CRightViewWidget right = CreateRightView(ERightViewKind::TokenInfo, this, m_facade);
    m_treeView = new CItemsTreeView(m_facade, m_splitter);
    if (right.widget == nullptr) {
        delete m_treeView;
        m_treeView = nullptr;
        return false;
    }
    m_treeView->setObjectName(QStringLiteral("treeView"));
    m_splitter->addWidget(m_treeView);
    m_splitter->addWidget(right.widget);
    m_rightWidget = right.widget;
    m_rightView = right.view;
    right.widget->setProperty(kUnusedViewKind, static_cast<int>(ERightViewKind::TokenInfo));
    right.widget->setProperty(kUnusedViewMinWidth, right.widget->minimumWidth());
    m_splitter->setStretchFactor(0, 0);
    m_splitter->setStretchFactor(1, 1);
    m_splitter->setSizes({200, 200});
    return true;
}

void CMainFrame::CreateToolBar() {
    m_toolBar = new CFrameToolBar(this);
    addToolBar(Qt::TopToolBarArea, m_toolBar);
    connect(m_toolBar, &CFrameToolBar::commandTriggered, this, &CMainFrame::OnCommand);
}

void CMainFrame::CreateStatusBar() {
    m_statusBar = new CFrameStatusBar(this);
    setStatusBar(m_statusBar);
}

void CMainFrame::CreateShortcuts() {
    // The accelerator table of the main window.
    const std::pair<QKeySequence, UINT> table[] = {
        {QKeySequence(Qt::Key_F5), ID_VIEW_REFRESH},
        {QKeySequence(Qt::Key_Tab), ID_TAB_PANE},
        {QKeySequence(Qt::Key_F6), ID_NEXT_PANE},
        {QKeySequence(Qt::SHIFT | Qt::Key_F6), ID_PREV_PANE},
    };
    for (const auto& entry : table) {
        auto* shortcut = new QShortcut(entry.first, this);
        shortcut->setContext(Qt::WindowShortcut);
        const UINT command = entry.second;
        connect(shortcut, &QShortcut::activated, this, [this, command] { OnCommand(command); });
    }
}

void CMainFrame::ListenToPlatform() {
    m_devices = new CDeviceChangeNotifier(this);
    connect(m_devices, &CDeviceChangeNotifier::DeviceChange, this,
            [this](UINT eventCode, const QStringList& readers) {
                std::vector<std::wstring> names;
                for (const QString& reader : readers) {
                    names.push_back(reader.toStdWString());
                }
                OnDeviceChange(eventCode, names);
            });
    // The watcher reads the store once more to start, and the broadcasts need the session bus:
    // both wait until the window is shown.
}

void CMainFrame::StartListening() {
    m_devices->Start();
    auto* broadcast = new CBroadcastReceiver(RegisterWindowMessageW(kLoginLogoutMessageName), this);
    connect(broadcast, &CBroadcastReceiver::Received, this, [this] { OnLoginBroadcast(); });
    if (TokensChangedSinceNoted()) {
        OnDeviceChange(DBT_DEVNODES_CHANGED, {});
    }
    if (LoginStatesChangedSinceRead()) {
        OnLoginBroadcast();
    }
}

void CMainFrame::LoadMenu() {
    std::optional<CMenu> menu = LoadLangMenu(IDR_MAINFRAME);
    if (!menu) {
        return;
    }
    m_menuModel = std::move(*menu);
    if (CMenu* actions = m_menuModel.SubMenu(kActionsMenuPosition)) {
        m_storeSwitch.Attach(actions, {ID_ACTIONS_ADD_TO_STORE, ID_ACTIONS_REMOVE_FROM_STORE});
        m_storeSwitch.Show(ID_ACTIONS_ADD_TO_STORE);
        m_defaultSwitch.Attach(actions, {ID_ACTIONS_SET_DEFAULT, ID_ACTIONS_REMOVE_DEFAULT});
        m_defaultSwitch.Show(ID_ACTIONS_SET_DEFAULT);
    }
    CLangMenuBuilder::Fill(menuBar(), m_menuModel);
    for (QAction* top : menuBar()->actions()) {
        if (QMenu* sub = top->menu()) {
            connect(sub, &QMenu::aboutToShow, this, [this, sub] { UpdateMenu(sub); });
            connect(sub, &QMenu::aboutToHide, this, [this] { SetStatusMessage(std::nullopt); });
            for (QAction* action : sub->actions()) {
                const UINT id = CLangMenuBuilder::CommandId(action);
                action->setStatusTip(Q(CommandPrompt(id).value_or(std::wstring())));
            }
        }
    }
}

QMenu* CMainFrame::TopMenu(int position) const {
    const QList<QAction*> tops = menuBar()->actions();
    if (position < 0 || position >= tops.size()) {
        return nullptr;
    }
    return tops.at(position)->menu();
}

void CMainFrame::ApplyPlacement() {
    if (m_placement.length < kPlacementLength) {
        ApplyDefaultSize();
        return;
    }
    const DWORD show = m_placement.showCmd;
    // A window that was hidden or minimised at close opens normal.
    if (show == SW_HIDE || show == SW_SHOWMINIMIZED || show == SW_MINIMIZE ||
        show == SW_SHOWMINNOACTIVE || show == SW_FORCEMINIMIZE) {
        m_placement.showCmd = SW_SHOWNORMAL;
    }
    const auto& r = m_placement.rcNormalPosition;
    const QRect rect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1));
    if (rect.isValid()) {
        setGeometry(rect);
    }
    m_maximiseOnShow = m_placement.showCmd == SW_SHOWMAXIMIZED;
}

// Without a stored placement the window takes three quarters of the screen's free area, as the
// desktop's default placement would give it, and never less than its own size hint.
void CMainFrame::ApplyDefaultSize() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    const QSize area = screen->availableGeometry().size();
    resize(sizeHint().expandedTo(area * 3 / 4).boundedTo(area));
}

void CMainFrame::ApplySplitterWidths() {
    if (m_leftPane.cxCur < 1 || m_rightPane.cxCur < 1) {
        return;
    }
    m_treeView->setMinimumWidth(std::max<LONG>(0, m_leftPane.cxMin));
    if (m_rightWidget) {
        m_rightWidget->setMinimumWidth(std::max<LONG>(0, m_rightPane.cxMin));
    }
    // The left column gets its width exactly; the right one what is left of the splitter,
    // as long as the splitter has its width.
    const int available = m_splitter->width() - m_splitter->handleWidth();
    const int right = available > m_leftPane.cxCur ? available - m_leftPane.cxCur
                                                   : static_cast<int>(m_rightPane.cxCur);
    m_splitter->setSizes({m_leftPane.cxCur, right});
}

void CMainFrame::ShowWindow() {
    if (m_maximiseOnShow) {
        showMaximized();
    } else {
        show();
    }
}

void CMainFrame::OnFrameReady() {
    if (layout() != nullptr) {
        layout()->activate();
    }
    m_splitter->update();
    // The stored widths again, now that the window has its size; without them the tree gets
    // its own width and the properties the rest.
    if (m_leftPane.cxCur >= 1 && m_rightPane.cxCur >= 1) {
        ApplySplitterWidths();
    } else {
        const int available = m_splitter->width() - m_splitter->handleWidth();
        if (available > 2 * kDefaultTreeWidth) {
            m_splitter->setSizes({kDefaultTreeWidth, available - kDefaultTreeWidth});
        }
    }
    m_certTree->Reset();
    UpdateStatusPanes();
    if (m_treeView != nullptr) {
        m_treeView->SynchroniseChildren(nullptr);
    }
    ForgetUnusedView(m_rightWidget.data());
    NoteTokenIdentities();
    QMetaObject::invokeMethod(this, &CMainFrame::StartListening, Qt::QueuedConnection);
}

// ---------------------------------------------------------------------------- commands

bool CMainFrame::NodeAccepts(UINT id) {
    NodePtr node = SelectedNode();
    return node && node->IsCommandEnabled(id);
}

bool CMainFrame::IsCommandEnabled(UINT id) {
    if (IsNodeCommand(id)) {
        return NodeAccepts(id);
    }
    if (id == ID_ACTIONS_LOGIN) {
        return SelectedTokenLoginState() == SVKCERT::kLoginGuest;
    }
    if (id == ID_ACTIONS_LOGOUT) {
        const std::optional<DWORD> state = SelectedTokenLoginState();
        return state == SVKCERT::kLoginUser || state == SVKCERT::kLoginAdmin;
    }
    return id != 0;
}

bool CMainFrame::IsCommandChecked(UINT id) const {
    switch (id) {
        case ID_VIEW_SHOW_CONTAINERS:
            return m_showContainers;
        case ID_VIEW_TOOLBAR:
            return m_toolBar != nullptr && !m_toolBar->isHidden();
        case ID_VIEW_STATUS_BAR:
            return m_statusBar != nullptr && !m_statusBar->isHidden();
        default:
            return false;
    }
}

void CMainFrame::OnCommand(UINT id) {
    if (id == 0 || !IsCommandEnabled(id)) {
        return;
    }
    if (IsNodeCommand(id)) {
        if (NodePtr node = SelectedNode()) {
            node->OnCommand(id);
        }
        if (ChangesTokenState(id)) {
            UpdateToolBarToggles();
            UpdateStatusPanes();
        }
        return;
    }
    switch (id) {
        case ID_FILE_EXIT:
            close();
            break;
        case ID_VIEW_REFRESH:
            Refresh();
            break;
        case ID_VIEW_SHOW_CONTAINERS:
            m_showContainers = !m_showContainers;
            Refresh();
            break;
        case ID_VIEW_TOOLBAR:
            if (m_toolBar != nullptr) {
                m_toolBar->setVisible(m_toolBar->isHidden());
            }
            break;
        case ID_VIEW_STATUS_BAR:
            if (m_statusBar != nullptr) {
                m_statusBar->setVisible(m_statusBar->isHidden());
            }
            break;
        case ID_VIEW_SWITCH_LANGUAGE:
            ToggleUiLanguage();
            break;
        case ID_TAB_PANE:
        case ID_NEXT_PANE:
        case ID_PREV_PANE:
            ActivateOtherPane();
            break;
        case ID_ACTIONS_LOGIN:
            if (NodePtr node = SelectedNode()) {
                LoginToken(this, node->GetTokenName());
            }
            break;
        case ID_ACTIONS_LOGOUT:
            if (NodePtr node = SelectedNode()) {
                LogoutToken(node->GetTokenName());
            }
            break;
        case ID_HELP_CONTENTS:
        case ID_HELP_INDEX:
        case ID_HELP_SEARCH:
        case ID_APP_ABOUT:
            // Carried out by the help and About parts of the program.
            break;
        default:
            break;
    }
}

void CMainFrame::Refresh() {
    m_certTree->Reset();
    std::wstring path;
    if (NodePtr node = SelectedNode()) {
        path = node->GetPath();
    }
    if (m_treeView != nullptr) {
        m_treeView->ResynchroniseTree(nullptr);
        if (!path.empty()) {
            // The remembered node, searched level by level down its path.
            std::vector<NodePtr> level;
            m_treeView->ChildNodes(nullptr, level);
            NodePtr found;
            while (!found && !level.empty()) {
                NodePtr next;
                for (const NodePtr& child : level) {
                    const std::wstring childPath = child->GetPath();
                    if (childPath == path) {
                        found = child;
                        break;
                    }
                    if (path.starts_with(childPath + L"\\")) {
                        next = child;
                    }
                }
                level.clear();
                if (!found && next) {
                    level = OpenedChildren(next);
                }
            }
            if (found) {
                m_treeView->SelectNode(found.get());
                found->OnUpdate(STreeItemInfo::CUpdateRequest{STreeItemInfo::kUpdateSelected});
            }
        }
    }
    UpdateToolBarToggles();
    UpdateStatusPanes();
    if (m_treeView != nullptr) {
        m_treeView->update();
    }
}

std::vector<CMainFrame::NodePtr> CMainFrame::OpenedChildren(const NodePtr& node) {
    std::vector<NodePtr> children;
    m_treeView->ChildNodes(node.get(), children);
    if (children.size() == 1 && children.front()->IsEmpty()) {
        // A level never opened in this tree (after "Show Containers" changed it): opened as a
        // click on its expander would, so that the remembered node is found again.
        auto* tree = qobject_cast<QTreeView*>(m_treeView->TreeControl());
        if (tree != nullptr) {
            m_treeView->SelectNode(node.get());
            tree->expand(tree->currentIndex());
            children.clear();
            m_treeView->ChildNodes(node.get(), children);
        }
    }
    return children;
}

void CMainFrame::UpdateMenu(QMenu* menu) {
    if (menu == TopMenu(kActionsMenuPosition)) {
        UpdateActionsMenuSlots();
        if (CMenu* actions = m_menuModel.SubMenu(kActionsMenuPosition)) {
            CLangMenuBuilder::Fill(menu, *actions);
            for (QAction* action : menu->actions()) {
                const UINT id = CLangMenuBuilder::CommandId(action);
                action->setStatusTip(Q(CommandPrompt(id).value_or(std::wstring())));
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

// ------------------------------------------------------------------- token state in the bars

CTokenInfo* CMainFrame::SelectedToken() {
    NodePtr node = SelectedNode();
    if (!node) {
        return nullptr;
    }
    return m_certTree->FindToken(node->GetTokenName());
}

std::optional<DWORD> CMainFrame::SelectedTokenLoginState() {
    CTokenInfo* token = SelectedToken();
    if (token == nullptr) {
        return std::nullopt;
    }
    return token->GetLoginState();
}

void CMainFrame::UpdateToolBarToggles() {
    if (m_toolBar != nullptr) {
        const std::optional<DWORD> state = SelectedTokenLoginState();
        const bool loggedIn = state == SVKCERT::kLoginUser || state == SVKCERT::kLoginAdmin;
        m_toolBar->SetButton(0, loggedIn ? ID_ACTIONS_LOGOUT : ID_ACTIONS_LOGIN,
                             loggedIn ? kLogoutImage : kLoginImage, loggedIn);
        const int store =
            m_toolBar->FindButton(ID_ACTIONS_REMOVE_FROM_STORE, ID_ACTIONS_ADD_TO_STORE);
        if (store >= 0) {
            const bool registered = NodeAccepts(ID_ACTIONS_REMOVE_FROM_STORE);
            m_toolBar->SetButtonState(
                store, registered ? ID_ACTIONS_REMOVE_FROM_STORE : ID_ACTIONS_ADD_TO_STORE,
                registered);
        }
        const int mark = m_toolBar->FindButton(ID_ACTIONS_REMOVE_DEFAULT, ID_ACTIONS_SET_DEFAULT);
        if (mark >= 0) {
            const bool isDefault = NodeAccepts(ID_ACTIONS_REMOVE_DEFAULT);
            m_toolBar->SetButtonState(
                mark, isDefault ? ID_ACTIONS_REMOVE_DEFAULT : ID_ACTIONS_SET_DEFAULT, isDefault);
        }
    }
    UpdateCommandEnabling();
}

void CMainFrame::UpdateStatusPanes() {
    if (m_statusBar == nullptr) {
        return;
    }
    QString access;
    QString tokenId;
    QString freeBytes;
    if (CTokenInfo* token = SelectedToken()) {
        const STokenRecord record = token->GetTokenRecord();
        std::wstring role;
        switch (token->GetLoginState()) {
            case SVKCERT::kLoginGuest:
                role = LoadLangString(IDS_ROLE_GUEST);
                break;
            case SVKCERT::kLoginUser:
                role = LoadLangString(IDS_ROLE_USER);
                break;
            case SVKCERT::kLoginAdmin:
                role = LoadLangString(IDS_ROLE_ADMIN);
                break;
            default:
                break;
        }
        access = Q(FormatString(LoadLangString(ID_INDICATOR_ACCESS), role));
        tokenId = Q(FormatString(LoadLangString(ID_INDICATOR_TOKEN_ID),
                                 FormatString(L"%08X", record.tokenId)));
        freeBytes = Q(FormatString(LoadLangString(ID_INDICATOR_FREE_BYTES),
                                   FormatString(L"%d", static_cast<int>(record.freeMemory))));
    }
    m_statusBar->SetPaneText(CFrameStatusBar::kAccessPane, access);
    m_statusBar->SetPaneText(CFrameStatusBar::kTokenIdPane, tokenId);
    m_statusBar->SetPaneText(CFrameStatusBar::kFreeBytesPane, freeBytes);
    m_statusBar->FitPaneWidths();
}

void CMainFrame::SetStatusMessage(const std::optional<std::wstring>& text) {
    if (m_statusBar == nullptr) {
        return;
    }
    if (text) {
        m_statusBar->SetPaneText(CFrameStatusBar::kMessagePane, Q(*text));
        return;
    }
    const std::wstring idle = LoadLangString(AFX_IDS_IDLEMESSAGE);
    if (!idle.empty()) {
        m_statusBar->SetPaneText(CFrameStatusBar::kMessagePane, Q(idle));
    }
}

// ----------------------------------------------------------------------------- the panes

CMainFrame::NodePtr CMainFrame::SelectedNode() {
    return m_treeView != nullptr ? m_treeView->SelectedNode() : nullptr;
}

void CMainFrame::SelectNode(const STreeItemInfo::ITreeItemInfo* node) {
    if (m_treeView != nullptr) {
        m_treeView->SelectNode(node);
    }
}

void CMainFrame::ResynchroniseTree(const STreeItemInfo::ITreeItemInfo* node) {
    if (m_treeView != nullptr) {
        m_treeView->ResynchroniseTree(node);
    }
}

void CMainFrame::SynchroniseChildren(const STreeItemInfo::ITreeItemInfo* node) {
    if (m_treeView != nullptr) {
        m_treeView->SynchroniseChildren(node);
    }
}

void CMainFrame::ChildNodes(const STreeItemInfo::ITreeItemInfo* node, std::vector<NodePtr>& out) {
    if (m_treeView != nullptr) {
        m_treeView->ChildNodes(node, out);
    }
}

QWidget* CMainFrame::RightView() const {
    return m_rightWidget.data();
}

IRightView* CMainFrame::ReplaceRightView(ERightViewKind kind) {
    if (m_splitter == nullptr) {
        return nullptr;
    }
    if (TakeUnusedView(m_rightWidget.data(), kind)) {
        return m_rightView;
    }
    // Made outside the splitter, which would otherwise take it in as a pane of its own.
    const CRightViewWidget fresh = CreateRightView(kind, this, m_facade);
    if (fresh.widget == nullptr) {
        return nullptr;
    }
    fresh.widget->hide();
    QWidget* old = m_rightWidget.data();
    if (old != nullptr && m_splitter->indexOf(old) >= 0) {
        m_splitter->replaceWidget(m_splitter->indexOf(old), fresh.widget);
    } else {
        m_splitter->addWidget(fresh.widget);
    }
    const bool hadFocus = old != nullptr && IsWithin(QApplication::focusWidget(), old);
    if (old != nullptr) {
        old->hide();
        old->setParent(nullptr);
        // The old view may be the caller: it goes once the event loop is back.
        old->deleteLater();
    }
    m_rightWidget = fresh.widget;
    m_rightView = fresh.view;
    fresh.widget->show();
    if (hadFocus) {
        fresh.widget->setFocus(Qt::OtherFocusReason);
    }
    return m_rightView;
}

void CMainFrame::ActivateOtherPane() {
    QWidget* right = m_rightWidget.data();
    if (m_treeView != nullptr && IsWithin(QApplication::focusWidget(), m_treeView)) {
        FocusPane(right);
    } else if (m_treeView != nullptr) {
        QWidget* tree = m_treeView->TreeControl();
        FocusPane(tree != nullptr ? tree : m_treeView);
    }
}

// ------------------------------------------------------------------ observer messages

void CMainFrame::OnMessage(const STreeItemInfo::CItemChildsEnumingMsg& msg) {
    m_acceptors.Dispatch(msg);
}

void CMainFrame::OnMessage(const STreeItemInfo::CKeyMsg& msg) {
    if (msg.node == nullptr) {
        return;
    }
    if (msg.code == 1) {
        SetStatusMessage(
            FormatString(LoadLangString(IDS_LOADING_KEY_INFO), msg.node->GetDisplayText()));
        GetUserInterface().SetCursor(IDC_WAIT);
    } else if (msg.code == 2) {
        SetStatusMessage(std::nullopt);
        GetUserInterface().SetCursor(IDC_ARROW);
    }
}

void CMainFrame::OnMessage(const STreeItemInfo::CTokenLevelUpdateNeededMsg&) {
    UpdateToolBarToggles();
    UpdateStatusPanes();
}

void CMainFrame::OnMessage(const SFrameFacade::MESSAGES::CItemInTheTreeSelectedMsg& msg) {
    UpdateToolBarToggles();
    UpdateStatusPanes();
    if (msg.node != nullptr) {
        UpdateActionsMenuSlots();
    }
}

// ------------------------------------------------------------- platform notifications

std::vector<CTokenInfo*> CMainFrame::Tokens() {
    std::vector<CTokenInfo*> tokens;
    m_certTree->GetTokens(tokens);
    return tokens;
}

void CMainFrame::NoteTokenIdentities() {
    // The records the tree reads for its labels anyway.
    m_tokenIdentities.clear();
    const std::vector<CTokenInfo*> tokens = Tokens();
    for (CTokenInfo* token : tokens) {
        m_tokenIdentities[token->GetReaderName()] = TokenIdentity(token->GetTokenRecord());
    }
}

std::map<std::wstring, std::wstring> CMainFrame::ReadTokenIdentities() {
    std::map<std::wstring, std::wstring> identities;
    const std::vector<CTokenInfo*> tokens = Tokens();
    for (CTokenInfo* token : tokens) {
        identities[token->GetReaderName()] = TokenIdentity(ReadTokenRecord(token->GetReaderName()));
    }
    return identities;
}

bool CMainFrame::TokensChangedSinceNoted() {
    const std::vector<CTokenInfo*> tokens = Tokens();
    std::set<std::wstring> known;
    for (CTokenInfo* token : tokens) {
        known.insert(token->GetReaderName());
    }
    const std::vector<std::wstring> present = SVKCERT::EnumReaderNames();
    if (std::set<std::wstring>(present.begin(), present.end()) != known) {
        return true;
    }
    return ReadTokenIdentities() != m_tokenIdentities;
}

bool CMainFrame::LoginStatesChangedSinceRead() {
    const std::vector<CTokenInfo*> tokens = Tokens();
    return std::any_of(tokens.begin(), tokens.end(), [](CTokenInfo* token) {
        return token->GetLoginState() != SVKCERT::ReadLoginState(token->GetReaderName());
    });
}

bool CMainFrame::OnDeviceChange(UINT eventCode, const std::vector<std::wstring>& changedReaders) {
    if (eventCode != DBT_DEVNODES_CHANGED) {
        return true;
    }
    m_certTree->Resynchronise();
    // A token inserted, removed or swapped in a reader that stayed: what the tree knew of that
    // reader's token is stale, labels, containers and keys alike.
    const std::map<std::wstring, std::wstring> identities = ReadTokenIdentities();
    std::vector<std::wstring> changed = changedReaders;
    for (const auto& entry : identities) {
        const auto known = m_tokenIdentities.find(entry.first);
        if (known != m_tokenIdentities.end() && known->second != entry.second) {
            changed.push_back(entry.first);
        }
    }
    m_tokenIdentities = identities;
    if (!changed.empty()) {
        m_certTree->Reset();
    }
    if (m_treeView != nullptr) {
        m_treeView->SynchroniseChildren(nullptr);
        std::vector<NodePtr> tokens;
        m_treeView->ChildNodes(nullptr, tokens);
        for (const NodePtr& token : tokens) {
            if (std::find(changed.begin(), changed.end(), token->GetTokenName()) != changed.end()) {
                m_treeView->ResynchroniseTree(token.get());
            }
        }
        if (!changed.empty()) {
            if (NodePtr node = SelectedNode()) {
                node->OnUpdate(STreeItemInfo::CUpdateRequest{STreeItemInfo::kUpdateSelected});
            }
        }
    }
    UpdateToolBarToggles();
    UpdateStatusPanes();
    return true;
}

void CMainFrame::OnLoginBroadcast() {
    const std::vector<CTokenInfo*> tokens = Tokens();
    for (CTokenInfo* token : tokens) {
        token->ResetLoginState();
    }
    UpdateToolBarToggles();
    UpdateStatusPanes();
    if (NodePtr node = SelectedNode()) {
        node->OnUpdate(STreeItemInfo::CUpdateRequest{STreeItemInfo::kUpdateDataChanged});
    }
}

void CMainFrame::OnLanguageChanged() {
    // A view made in the other language does not serve a request for a fresh one.
    ForgetUnusedView(m_rightWidget.data());
    LoadMenu();
    setWindowTitle(Q(LoadLangString(IDR_MAINFRAME)));
    if (m_toolBar != nullptr) {
        m_toolBar->ReloadTexts();
    }
    if (m_treeView != nullptr) {
        m_treeView->OnLanguageChanged();
    }
    UpdateStatusPanes();
    SetStatusMessage(std::nullopt);
}

bool CMainFrame::event(QEvent* e) {
    if (e->type() == CLanguageChangedEvent::kType) {
        OnLanguageChanged();
        return true;
    }
    if (e->type() == QEvent::StatusTip) {
        // Prompts of menus and tool bar buttons go to the message pane, the idle text when the
        // pointer leaves them.
        const QString tip = static_cast<QStatusTipEvent*>(e)->tip();
        SetStatusMessage(tip.isEmpty() ? std::nullopt : std::optional(tip.toStdWString()));
        return true;
    }
    return QMainWindow::event(e);
}

// --------------------------------------------------------------------------------- close

void CMainFrame::SaveSettings() {
    if (m_settingsSaved) {
        return;
    }
    m_settingsSaved = true;
    const QRect normal = normalGeometry();
    m_placement.length = sizeof(CWindowPlacement);
    m_placement.flags = 0;
    if (isMinimized()) {
        m_placement.showCmd = SW_SHOWMINIMIZED;
    } else if (isMaximized()) {
        m_placement.showCmd = SW_SHOWMAXIMIZED;
    } else {
        m_placement.showCmd = SW_SHOWNORMAL;
    }
    m_placement.ptMinPosition = {-1, -1};
    m_placement.ptMaxPosition = {-1, -1};
    m_placement.rcNormalPosition = {normal.left(), normal.top(), normal.left() + normal.width(),
                                    normal.top() + normal.height()};
    const QList<int> sizes = m_splitter != nullptr ? m_splitter->sizes() : QList<int>();
    if (sizes.size() == 2) {
        m_leftPane = {sizes.at(0), m_treeView != nullptr ? m_treeView->minimumWidth() : 0};
        m_rightPane = {sizes.at(1), m_rightWidget ? m_rightWidget->minimumWidth() : 0};
    }
    m_statusBarVisible = m_statusBar != nullptr && !m_statusBar->isHidden();
    m_toolBarVisible = m_toolBar != nullptr && !m_toolBar->isHidden();
    m_settings.SaveAll();
}

void CMainFrame::LogoutSelectedToken() {
    const std::optional<DWORD> state = SelectedTokenLoginState();
    if (state == SVKCERT::kLoginUser || state == SVKCERT::kLoginAdmin) {
        LogoutToken(SelectedNode()->GetTokenName());
    }
}

void CMainFrame::closeEvent(QCloseEvent* e) {
    SaveSettings();
    LogoutSelectedToken();
    if (m_idleTimer != nullptr) {
        m_idleTimer->stop();
    }
    e->accept();
}

void CMainFrame::RunPfxImportWizard(const SVKCERT::CProviderDescriptor&, const std::wstring&,
                                    const std::wstring&) {
    // The PFX import wizard is started here once it is part of the program.
}

void CMainFrame::RunPfxExportWizard(const std::wstring&, const std::wstring&, const std::wstring&,
                                    DWORD, const std::wstring&) {
    // The PFX export wizard is started here once it is part of the program.
}
