// The frame of the tests, without windows: a real message hub and acceptor registry (so child
// enumerations get the frame's status feedback), the list split record, the show-containers
// choice, and one log of what nodes and views asked of it, a line each:
//   "enum <code> <path>", "container msg <code>", "key msg <code>", "selected <path>",
//   "deselected <path>", "view token|container|key|certificate", "fill ..." (what that view was
//   filled with), "status <text> <cursor>", "idle <cursor>" (the scripted UI's cursor at that
//   moment: wait or arrow), "other pane", "route <id>", "pfx import <file> into <reader> with
//   <provider>", "pfx export <file>".
// The tree pane operations answer nothing here; the tree view tests hand them to a view.
#pragma once

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "program/core/sdp/COwnedReceiver.h"
#include "program/tree/CEnumChildsMsgAcceptorRegistry.h"
#include "program/tree/CTreeMessageHub.h"
#include "program/ui/CFrameFacade.h"
#include "program/ui/CNullFrame.h"

namespace vktest {

using Log = std::vector<std::string>;

// A right view of any kind; it logs what it is filled with and keeps the certificate.
class FakeView final : public IRightView,
                       public ITokenInfoViewFill,
                       public IContainerViewFill,
                       public IKeyViewFill,
                       public ICertificateViewFill {
public:
    FakeView(ERightViewKind kind, Log& log) : m_kind(kind), m_log(log) {}

    ERightViewKind Kind() const override { return m_kind; }
    ITokenInfoViewFill* AsTokenInfo() override { return Is(ERightViewKind::TokenInfo); }
    IContainerViewFill* AsContainer() override { return Is(ERightViewKind::Container); }
    IKeyViewFill* AsKey() override { return Is(ERightViewKind::Key); }
    ICertificateViewFill* AsCertificate() override { return Is(ERightViewKind::Certificate); }

    void FillTokenRecord(const STokenRecord& record) override;
    void FillContainerName(const std::wstring& name) override;
    void FillKeyLength(DWORD bits) override;
    void FillPermissions(DWORD) override { m_log.push_back("fill key permissions"); }
    void FillPublicKey(const std::vector<BYTE>& blob) override;
    void FillCertificate(const std::vector<BYTE>& der) override;

    std::vector<BYTE> certificate;

private:
    FakeView* Is(ERightViewKind kind) { return m_kind == kind ? this : nullptr; }
    ERightViewKind m_kind;
    Log& m_log;
};

class FakeFrame : public CNullFrame {
public:
    FakeFrame();
    ~FakeFrame() override;
    FakeFrame(const FakeFrame&) = delete;
    FakeFrame& operator=(const FakeFrame&) = delete;

    const CFrameFacadePtr& Facade() const { return m_facade; }
    STreeItemInfo::CTreeMessageHub& Hub() { return m_hub; }
    FakeView* View() const { return m_view.get(); }
    // The lines of the log that begin with one of the prefixes, in order.
    Log Only(std::initializer_list<const char*> prefixes) const;

    Log events;
    bool showContainers = true;
    CListSplitRecord split;

    STreeItemInfo::CTreeMessageHub* MessageHub() override { return &m_hub; }
    STreeItemInfo::UI::CEnumChildsMsgAcceptorRegistry* AcceptorRegistry() override {
        return &m_registry;
    }
    bool ShowContainers() const override { return showContainers; }
    IRightView* ReplaceRightView(ERightViewKind kind) override;
    void ActivateOtherPane() override { events.push_back("other pane"); }
    CListSplitRecord* ListSplitRecord() override { return &split; }
    void SetStatusMessage(const std::optional<std::wstring>& text) override;
    void RouteCommand(UINT commandId) override;
    void RunPfxImportWizard(const SVKCERT::CProviderDescriptor& provider,
                            const std::wstring& filePath, const std::wstring& reader) override;
    void RunPfxExportWizard(const std::wstring& filePath, const std::wstring&, const std::wstring&,
                            DWORD, const std::wstring&) override;

    void OnMessage(const STreeItemInfo::CItemChildsEnumingMsg& msg);
    void OnMessage(const STreeItemInfo::CContainerItemInfoMsg& msg);
    void OnMessage(const STreeItemInfo::CKeyMsg& msg);
    void OnMessage(const SFrameFacade::MESSAGES::CItemInTheTreeSelectedMsg& msg);

private:
    template <class Msg>
    using Receiver =
        SDP::SOBSERVER::COwnedReceiver<FakeFrame, Msg, STreeItemInfo::CTreeThreadModel>;

    STreeItemInfo::CTreeMessageHub m_hub;
    STreeItemInfo::UI::CEnumChildsMsgAcceptorRegistry m_registry;
    std::unique_ptr<FakeView> m_view;
    Receiver<STreeItemInfo::CItemChildsEnumingMsg> m_enumReceiver;
    Receiver<STreeItemInfo::CContainerItemInfoMsg> m_containerReceiver;
    Receiver<STreeItemInfo::CKeyMsg> m_keyReceiver;
    Receiver<SFrameFacade::MESSAGES::CItemInTheTreeSelectedMsg> m_selectedReceiver;
    CFrameFacadePtr m_facade = std::make_shared<CFrameFacade>(this);
};

}  // namespace vktest
