// The program's only top-level window: the tree of tokens on the left, the selected node's
// properties on the right, the menu bar, the tool bar and the status bar. Every command of the
// menus, the tool bar, the accelerators and the tree's context menus arrives here; the frame
// decides whether it is enabled and runs it or hands it to the selected node. Settings are read
// once at creation and written once at close.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <memory>
#include <optional>
#include <string>

#include "program/app/MenuModel.h"
#include "program/core/sdp/COwnedReceiver.h"
#include "program/core/settings/CSettings.h"
#include "program/core/settings/CSplitterItemInfo.h"
#include "program/core/settings/CWindowPlacement.h"
#include "program/tree/CCertTree.h"
#include "program/tree/CEnumChildsMsgAcceptorRegistry.h"
#include "program/tree/CTokenChangeTracker.h"
#include "program/tree/CTreeMessageHub.h"
#include "program/ui/CCommandTable.h"
#include "program/ui/CFrameFacade.h"
#include "program/ui/CMenuItemSwitch.h"
#include "program/ui/IFrame.h"

class CDeviceChangeNotifier;
class CFrameStatusBar;
class CFrameToolBar;
class CItemsTreeView;
class QMenu;
class QSplitter;
class QTimer;

class CMainFrame : public QMainWindow, public IFrame {
    Q_OBJECT
public:
    // Posted to itself at the end of the creation: the first filling of the tree.
    static constexpr UINT WM_FRAME_READY = 1166;
    // The Actions menu's place in the main menu.
    static constexpr int kActionsMenuPosition = 2;

    CMainFrame();
    ~CMainFrame() override;
    CMainFrame(const CMainFrame&) = delete;
    CMainFrame& operator=(const CMainFrame&) = delete;

    // The parts that measure no text (tool bar, accelerators, platform listeners, menu, title):
    // they may be made while the fonts are still loading. Create makes them when this has not.
    void CreateEarlyParts();
    // Bars, menu, title, client area and stored settings; posts the frame-ready message. False
    // when the splitter or one of its views could not be made.
    bool Create();
    // Shows the window as the stored placement says (maximised or normal).
    void ShowWindow();

    // Command routing: the enabling rule, and the command itself (nothing when disabled).
    bool IsCommandEnabled(UINT id) override;
    bool IsCommandChecked(UINT id) const;
    void OnCommand(UINT id);

    // The platform's notifications.
    // Event DBT_DEVNODES_CHANGED brings the token level in line with the readers; the readers
    // named are those whose token was inserted, removed or swapped.
    bool OnDeviceChange(UINT eventCode, const std::vector<std::wstring>& changedReaders = {});
    void OnLoginBroadcast();
    void OnLanguageChanged();
    void OnFrameReady();

    // Observer messages of the hub.
    void OnMessage(const STreeItemInfo::CItemChildsEnumingMsg& msg);
    void OnMessage(const STreeItemInfo::CKeyMsg& msg);
    void OnMessage(const STreeItemInfo::CTokenLevelUpdateNeededMsg& msg);
    void OnMessage(const SFrameFacade::MESSAGES::CItemInTheTreeSelectedMsg& msg);

    // IFrame.
    STreeItemInfo::CTreeMessageHub* MessageHub() override { return &m_hub; }
    STreeItemInfo::UI::CEnumChildsMsgAcceptorRegistry* AcceptorRegistry() override {
        return &m_acceptors;
    }
    bool ShowContainers() const override { return m_showContainers; }
    bool HasTreeView() const override { return m_treeView != nullptr; }
    NodePtr SelectedNode() override;
    void SelectNode(const STreeItemInfo::ITreeItemInfo* node) override;
    void ResynchroniseTree(const STreeItemInfo::ITreeItemInfo* node) override;
    void SynchroniseChildren(const STreeItemInfo::ITreeItemInfo* node) override;
    void ChildNodes(const STreeItemInfo::ITreeItemInfo* node, std::vector<NodePtr>& out) override;
    void RedrawNode(const STreeItemInfo::ITreeItemInfo* node) override;
    IRightView* ReplaceRightView(ERightViewKind kind) override;
    void ActivateOtherPane() override;
    CListSplitRecord* ListSplitRecord() override { return &m_listSplit; }
    void SetStatusMessage(const std::optional<std::wstring>& text) override;
    void UpdateStatusPanes() override;
    void UpdateToolBarToggles() override;
    void RouteCommand(UINT commandId) override { OnCommand(commandId); }
    void RunPfxImportWizard(const SVKCERT::CProviderDescriptor& provider,
                            const std::wstring& filePath, const std::wstring& readerName) override;
    void RunPfxExportWizard(const std::wstring& filePath, const std::wstring& readerName,
                            const std::wstring& containerName, DWORD keySpec,
                            const std::wstring& certificateName) override;

    // Parts, for the program's own use and for tests.
    CItemsTreeView* TreeView() const { return m_treeView; }
    QWidget* RightView() const;
    IRightView* RightViewInterface() const { return m_rightView; }
    CFrameStatusBar* FrameStatusBar() const { return m_statusBar; }
    CFrameToolBar* FrameToolBar() const { return m_toolBar; }
    QSplitter* Splitter() const { return m_splitter; }
    QMenu* TopMenu(int position) const;
    const CFrameFacadePtr& Facade() const { return m_facade; }

protected:
    bool event(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    template <class Msg>
    using Receiver =
        SDP::SOBSERVER::COwnedReceiver<CMainFrame, Msg, STreeItemInfo::CTreeThreadModel>;

    void BuildSettings();
    void BuildCommandTable();
    bool CreateClientArea();
    void CreateToolBar();
    void CreateStatusBar();
    void CreateShortcuts();
    void ListenToPlatform();
    // After the first filling: device changes and login broadcasts are listened to from here
    // on, and what changed since that filling is caught up with.
    void StartListening();
    void LoadMenu();
    void SaveSettings();
    // At close: the selected token's user, when logged in, is logged out.
    void LogoutSelectedToken();
    void UpdateMenu(QMenu* menu);
    void UpdateActionsMenuSlots();
    void UpdateCommandEnabling();
    void Refresh();
    void RunNodeCommand(UINT id, bool changesTokenState);
    bool NodeAccepts(UINT id);
    bool IsSelectedTokenLoggedIn();
    // The selected node's token login state; nothing without a node or token.
    std::optional<DWORD> SelectedTokenLoginState();
    CTokenInfo* SelectedToken();

    // Declaration order is construction order.
    Receiver<STreeItemInfo::CItemChildsEnumingMsg> m_enumReceiver;
    Receiver<STreeItemInfo::CKeyMsg> m_keyReceiver;
    Receiver<STreeItemInfo::CTokenLevelUpdateNeededMsg> m_tokenLevelReceiver;
    Receiver<SFrameFacade::MESSAGES::CItemInTheTreeSelectedMsg> m_selectedReceiver;
    STreeItemInfo::UI::CEnumChildsMsgAcceptorRegistry m_acceptors;
    STreeItemInfo::CTreeMessageHub m_hub;
    CMenu m_menuModel;
    CMenuItemSwitch m_storeSwitch;
    CMenuItemSwitch m_defaultSwitch;
    CFrameStatusBar* m_statusBar = nullptr;
    CFrameToolBar* m_toolBar = nullptr;
    CWindowPlacement m_placement{};
    SLocalTools::CSplitterItemInfo m_leftPane{};
    SLocalTools::CSplitterItemInfo m_rightPane{};
    CSettings m_settings;
    CCommandTable m_commands;
    QSplitter* m_splitter = nullptr;
    bool m_statusBarVisible = true;
    bool m_toolBarVisible = true;
    bool m_showContainers = true;
    CFrameFacadePtr m_facade;

    SVKCERTTREE::CCertTreePtr m_certTree;
    CItemsTreeView* m_treeView = nullptr;
    QPointer<QWidget> m_rightWidget;
    IRightView* m_rightView = nullptr;
    CListSplitRecord m_listSplit;
    QTimer* m_idleTimer = nullptr;
    CDeviceChangeNotifier* m_devices = nullptr;
    UINT m_lastPrompt = 0;
    bool m_settingsSaved = false;
    bool m_maximiseOnShow = false;
    STreeItemInfo::CTokenChangeTracker m_tokens;
};
