#include "gui/ui/frame/CMainFrame.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QKeySequence>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QShortcut>
#include <QSplitter>
#include <QStatusTipEvent>
#include <QTimer>
#include <algorithm>

#include "desktop/BroadcastReceiver.h"
#include "desktop/DeviceChangeNotifier.h"
#include "desktop/RegisteredMessages.h"
#include "gui/help/HelpTopics.h"
#include "gui/resources/LangMenuBuilder.h"
#include "gui/resources/LanguageEvents.h"
#include "gui/tree/CItemsTreeView.h"
#include "gui/ui/frame/CFrameStatusBar.h"
#include "gui/ui/frame/CFrameToolBar.h"
#include "gui/ui/frame/CommandTexts.h"
#include "gui/ui/frame/FramePlacement.h"
#include "gui/ui/frame/LoginLogoutMessage.h"
#include "gui/ui/frame/TokenLogin.h"
#include "gui/ui/views/CListPropertyView.h"
#include "gui/ui/views/RightViewFactory.h"
#include "gui/widgets/CListWithEditEx.h"
#include "platform/text/FormatString.h"
#include "program/app/LangResource.h"
#include "program/app/UiLanguage.h"
#include "program/core/settings/CRawStruct.h"
#include "program/core/settings/CSettingBool.h"
#include "program/token/CTokenInfo.h"
#include "program/token/LoginState.h"
#include "program/tree/CUpdateRequest.h"
#include "program/tree/ITreeItemInfo.h"
#include "program/tree/PfxExportCommand.h"
#include "program/tree/PfxImportCommand.h"
#include "program/ui/IUserInterface.h"
#include "program/ui/StatusPaneTexts.h"
#include "res/resource.h"

namespace {

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

// Gives the keyboard to the pane: a list view to the side its list widget's focus flag names,
// another pane to its first control that takes it, else to the pane itself.
void FocusPane(QWidget* pane) {
    if (pane == nullptr) {
        return;
    }
    if (auto* list = dynamic_cast<CListPropertyView*>(pane); list && list->ListWidget()) {
        list->ListWidget()->SetFocusToCurrent();
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
    setProperty(SHTMLHelper::kHelpTopicProperty,
                QString::fromLatin1(SHTMLHelper::kMainWindowTopic));
    setAttribute(Qt::WA_DeleteOnClose, false);
    BuildSettings();
    BuildCommandTable();
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
    m_maximiseOnShow = RestorePlacement(*this, m_placement);
    // The right pane shows the token view: the one the client area has just made, still empty.
    RestorePaneWidths(*m_splitter, m_leftPane, m_rightPane);
    m_statusBar->setVisible(m_statusBarVisible);
    m_toolBar->setVisible(m_toolBarVisible);
    // Once as the last step of the initial state and once after it, as the window's creation
    // has always run it: with nothing selected yet the second pass sets the same states again,
    // and keeping it keeps the order of the creation steps that other parts rely on.
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
    if (m_tokens.ChangedSinceNoted()) {
        OnDeviceChange(DBT_DEVNODES_CHANGED, {});
    }
    if (m_tokens.LoginStatesChangedSinceRead()) {
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
    if (HasPaneWidths(m_leftPane, m_rightPane)) {
        RestorePaneWidths(*m_splitter, m_leftPane, m_rightPane);
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
    m_tokens.Note();
    QMetaObject::invokeMethod(this, &CMainFrame::StartListening, Qt::QueuedConnection);
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
        const bool loggedIn = IsSelectedTokenLoggedIn();
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
    const SStatusPaneTexts texts = TokenStatusPaneTexts(SelectedToken());
    m_statusBar->SetPaneText(CFrameStatusBar::kAccessPane, Q(texts.access));
    m_statusBar->SetPaneText(CFrameStatusBar::kTokenIdPane, Q(texts.tokenId));
    m_statusBar->SetPaneText(CFrameStatusBar::kFreeBytesPane, Q(texts.freeBytes));
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

void CMainFrame::RedrawNode(const STreeItemInfo::ITreeItemInfo* node) {
    if (m_treeView != nullptr) {
        m_treeView->RedrawNode(node);
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
    // The new view opens with the list split the old one has now.
    if (auto* list = dynamic_cast<CListPropertyView*>(m_rightWidget.data())) {
        list->StoreSplit();
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

bool CMainFrame::OnDeviceChange(UINT eventCode, const std::vector<std::wstring>& changedReaders) {
    if (eventCode != DBT_DEVNODES_CHANGED || m_treeView == nullptr) {
        return true;
    }
    m_tokens.OnDevicesChanged(*m_treeView, changedReaders);
    UpdateToolBarToggles();
    UpdateStatusPanes();
    return true;
}

void CMainFrame::OnLoginBroadcast() {
    std::vector<CTokenInfo*> tokens;
    m_certTree->GetTokens(tokens);
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
    m_placement = CapturePlacement(*this);
    if (m_splitter != nullptr) {
        CapturePaneWidths(*m_splitter, m_leftPane, m_rightPane);
    }
    m_statusBarVisible = m_statusBar != nullptr && !m_statusBar->isHidden();
    m_toolBarVisible = m_toolBar != nullptr && !m_toolBar->isHidden();
    m_settings.SaveAll();
}

void CMainFrame::LogoutSelectedToken() {
    if (IsSelectedTokenLoggedIn()) {
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

void CMainFrame::RunPfxImportWizard(const SVKCERT::CProviderDescriptor& provider,
                                    const std::wstring& filePath, const std::wstring& readerName) {
    STreeItemInfo::RunPfxImportWizard(*m_facade, provider, filePath, readerName);
}

void CMainFrame::RunPfxExportWizard(const std::wstring& filePath, const std::wstring& readerName,
                                    const std::wstring& containerName, DWORD keySpec,
                                    const std::wstring& certificateName) {
    STreeItemInfo::RunPfxExportWizard(*m_facade, filePath, readerName, containerName, keySpec,
                                      certificateName);
}
