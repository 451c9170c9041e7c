// A plain frame for the tree model tests: a real message hub and acceptor registry, the
// show-containers choice, and one log of what the nodes made the frame do (status texts with
// the cursor shown at that moment, tree messages, right-pane fills, routed commands, wizards).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "program/core/sdp/COwnedReceiver.h"
#include "platform/text/Utf.h"
#include "support/ScriptedUi.h"
#include "program/token/CProviderDescriptor.h"
#include "program/tree/CEnumChildsMsgAcceptorRegistry.h"
#include "program/tree/CTreeMessageHub.h"
#include "program/tree/ITreeItemInfo.h"
#include "program/ui/CFrameFacade.h"
#include "program/ui/CNullFrame.h"

namespace treetest {

using Log = std::vector<std::string>;

// One view of every kind; it logs what it is filled with.
class LoggingView final : public IRightView,
                          public ITokenInfoViewFill,
                          public IContainerViewFill,
                          public IKeyViewFill,
                          public ICertificateViewFill {
public:
    LoggingView(ERightViewKind kind, Log& log) : m_kind(kind), m_log(log) {}

    ERightViewKind Kind() const override { return m_kind; }
    ITokenInfoViewFill* AsTokenInfo() override {
        return m_kind == ERightViewKind::TokenInfo ? this : nullptr;
    }
    IContainerViewFill* AsContainer() override {
        return m_kind == ERightViewKind::Container ? this : nullptr;
    }
    IKeyViewFill* AsKey() override { return m_kind == ERightViewKind::Key ? this : nullptr; }
    ICertificateViewFill* AsCertificate() override {
        return m_kind == ERightViewKind::Certificate ? this : nullptr;
    }

    void FillTokenRecord(const STokenRecord& record) override {
        m_log.push_back("fill token " + WideToUtf8(record.label));
    }
    void FillContainerName(const std::wstring& name) override {
        m_log.push_back("fill container " + WideToUtf8(name));
    }
    void FillKeyLength(DWORD bits) override {
        m_log.push_back("fill key length " + std::to_string(bits));
    }
    void FillPermissions(DWORD) override { m_log.push_back("fill key permissions"); }
    void FillPublicKey(const std::vector<BYTE>& blob) override {
        m_log.push_back(blob.empty() ? "fill empty public key" : "fill public key");
    }
    void FillCertificate(const std::vector<BYTE>& der) override {
        m_certificate = der;
        m_log.push_back("fill certificate");
    }

    std::vector<BYTE> m_certificate;

private:
    ERightViewKind m_kind;
    Log& m_log;
};

class TreeTestFrame final : public CNullFrame {
    using TM = STreeItemInfo::CTreeThreadModel;

public:
    explicit TreeTestFrame(vktest::ScriptedUi& ui) : m_ui(ui) {
        m_registry.SetFacade(m_facade);
        STreeItemInfo::UI::RegisterDefaultCreators(m_registry);
        m_enumReceiver.SetOwner(this);
        m_containerReceiver.SetOwner(this);
        m_keyReceiver.SetOwner(this);
        m_hub.itemChildsEnuming.Attach(m_enumReceiver);
        m_hub.containerItemInfo.Attach(m_containerReceiver);
        m_hub.key.Attach(m_keyReceiver);
    }
    ~TreeTestFrame() override {
        m_facade->Detach();
        m_enumReceiver.SetOwner(nullptr);
        m_containerReceiver.SetOwner(nullptr);
        m_keyReceiver.SetOwner(nullptr);
    }

    const CFrameFacadePtr& Facade() const { return m_facade; }
    Log& Events() { return m_log; }
    void SetShowContainers(bool on) { m_showContainers = on; }
    LoggingView* View() const { return m_view.get(); }

    void OnMessage(const STreeItemInfo::CItemChildsEnumingMsg& msg) {
        m_log.push_back("enum " + std::to_string(msg.code) + " " + WideToUtf8(msg.node->GetPath()));
        m_registry.Dispatch(msg);
    }
    void OnMessage(const STreeItemInfo::CContainerItemInfoMsg& msg) {
        m_log.push_back("container msg " + std::to_string(msg.code));
    }
    void OnMessage(const STreeItemInfo::CKeyMsg& msg) {
        m_log.push_back("key msg " + std::to_string(msg.code));
    }

    STreeItemInfo::CTreeMessageHub* MessageHub() override { return &m_hub; }
    STreeItemInfo::UI::CEnumChildsMsgAcceptorRegistry* AcceptorRegistry() override {
        return &m_registry;
    }
    bool ShowContainers() const override { return m_showContainers; }

    IRightView* ReplaceRightView(ERightViewKind kind) override {
        static const char* const names[] = {"token", "container", "key", "certificate"};
        m_log.push_back(std::string("view ") + names[static_cast<int>(kind)]);
        m_view = std::make_unique<LoggingView>(kind, m_log);
        return m_view.get();
    }

    // "status <text> <cursor>" or "idle <cursor>".
    void SetStatusMessage(const std::optional<std::wstring>& text) override {
        const std::string cursor = m_ui.Cursor() == IDC_WAIT ? "wait" : "arrow";
        m_log.push_back(text ? "status " + WideToUtf8(*text) + " " + cursor : "idle " + cursor);
    }
    void RouteCommand(UINT commandId) override {
        m_log.push_back("route " + std::to_string(commandId));
    }
    void RunPfxImportWizard(const SVKCERT::CProviderDescriptor& provider,
                            const std::wstring& filePath, const std::wstring& reader) override {
        m_log.push_back("pfx import " + WideToUtf8(filePath) + " into " + WideToUtf8(reader) +
                        " with " + WideToUtf8(provider.name));
    }
    void RunPfxExportWizard(const std::wstring& filePath, const std::wstring&, const std::wstring&,
                            DWORD, const std::wstring&) override {
        m_log.push_back("pfx export " + WideToUtf8(filePath));
    }

private:
    vktest::ScriptedUi& m_ui;
    Log m_log;
    bool m_showContainers = true;
    std::unique_ptr<LoggingView> m_view;
    STreeItemInfo::CTreeMessageHub m_hub;
    STreeItemInfo::UI::CEnumChildsMsgAcceptorRegistry m_registry;
    SDP::SOBSERVER::COwnedReceiver<TreeTestFrame, STreeItemInfo::CItemChildsEnumingMsg, TM>
        m_enumReceiver;
    SDP::SOBSERVER::COwnedReceiver<TreeTestFrame, STreeItemInfo::CContainerItemInfoMsg, TM>
        m_containerReceiver;
    SDP::SOBSERVER::COwnedReceiver<TreeTestFrame, STreeItemInfo::CKeyMsg, TM> m_keyReceiver;
    CFrameFacadePtr m_facade = std::make_shared<CFrameFacade>(this);
};

}  // namespace treetest
