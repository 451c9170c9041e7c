// The frame of the tests, without windows: a real message hub and acceptor registry (so child
// enumerations get the frame's status feedback), the list split record, the show-containers
// choice, and one log of what nodes and views asked of it, a line each: "enum <code> <path>",
// "container msg <code>", "key msg <code>", "[de]selected <path>", "view <kind>", "fill ...",
// "status <text> <cursor>", "idle <cursor>" (the scripted UI's cursor then: wait or arrow),
// "other pane", "route <id>", "pfx import <file> into <reader> with <provider>", "pfx export
// <file> of <reader> <container> <spec> <name>", "redraw <path>". The tree pane operations
// answer nothing here; the tree view tests hand them to a view.
#pragma once

#include <algorithm>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "platform/text/Utf.h"
#include "program/core/sdp/COwnedReceiver.h"
#include "program/token/CProviderDescriptor.h"
#include "program/tree/CEnumChildsMsgAcceptorRegistry.h"
#include "program/tree/CTreeMessageHub.h"
#include "program/tree/ITreeItemInfo.h"
#include "program/tree/PfxExportCommand.h"
#include "program/tree/PfxImportCommand.h"
#include "program/ui/CFrameFacade.h"
#include "program/ui/CNullFrame.h"
#include "support/ScriptedUi.h"

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

    void FillTokenRecord(const STokenRecord& r) override { Add("token " + WideToUtf8(r.label)); }
    void FillContainerName(const std::wstring& name) override {
        Add("container " + WideToUtf8(name));
    }
    void FillKeyLength(DWORD bits) override { Add("key length " + std::to_string(bits)); }
    void FillPermissions(DWORD) override { Add("key permissions"); }
    void FillPublicKey(const std::vector<BYTE>& blob) override {
        Add(blob.empty() ? "empty public key" : "public key");
    }
    void FillCertificate(const std::vector<BYTE>& der) override {
        certificate = der;
        Add("certificate");
    }

    std::vector<BYTE> certificate;

private:
    FakeView* Is(ERightViewKind kind) { return m_kind == kind ? this : nullptr; }
    void Add(const std::string& what) { m_log.push_back("fill " + what); }
    ERightViewKind m_kind;
    Log& m_log;
};

class FakeFrame : public CNullFrame {
public:
    FakeFrame() {
        m_registry.SetFacade(m_facade);
        STreeItemInfo::UI::RegisterDefaultCreators(m_registry);
        m_hub.itemChildsEnuming.Attach(m_enumReceiver);
        m_hub.containerItemInfo.Attach(m_containerReceiver);
        m_hub.key.Attach(m_keyReceiver);
        m_hub.itemInTheTreeSelected.Attach(m_selectedReceiver);
    }
    ~FakeFrame() override { m_facade->Detach(); }
    FakeFrame(const FakeFrame&) = delete;
    FakeFrame& operator=(const FakeFrame&) = delete;

    const CFrameFacadePtr& Facade() const { return m_facade; }
    STreeItemInfo::CTreeMessageHub& Hub() { return m_hub; }
    FakeView* View() const { return m_view.get(); }

    // The lines of the log that begin with one of the prefixes, in order.
    Log Only(std::initializer_list<const char*> prefixes) const {
        Log lines;
        std::ranges::copy_if(events, std::back_inserter(lines), [&](const std::string& line) {
            return std::ranges::any_of(prefixes,
                                       [&](const char* p) { return line.starts_with(p); });
        });
        return lines;
    }

    Log events;
    bool showContainers = true;
    bool runWizards = false;  // the wizards run as in the window, not only logged
    CListSplitRecord split;

    STreeItemInfo::CTreeMessageHub* MessageHub() override { return &m_hub; }
    STreeItemInfo::UI::CEnumChildsMsgAcceptorRegistry* AcceptorRegistry() override {
        return &m_registry;
    }
    bool ShowContainers() const override { return showContainers; }
    IRightView* ReplaceRightView(ERightViewKind kind) override {
        static const char* const names[] = {"token", "container", "key", "certificate"};
        events.push_back(std::string("view ") + names[static_cast<int>(kind)]);
        m_view = std::make_unique<FakeView>(kind, events);
        return m_view.get();
    }
    void ActivateOtherPane() override { events.push_back("other pane"); }
    CListSplitRecord* ListSplitRecord() override { return &split; }
    void SetStatusMessage(const std::optional<std::wstring>& text) override {
        events.push_back((text ? "status " + WideToUtf8(*text) : std::string("idle")) + Cursor());
    }
    void RouteCommand(UINT id) override { events.push_back("route " + std::to_string(id)); }
    void RunPfxImportWizard(const SVKCERT::CProviderDescriptor& provider,
                            const std::wstring& filePath, const std::wstring& reader) override {
        events.push_back("pfx import " + WideToUtf8(filePath) + " into " + WideToUtf8(reader) +
                         " with " + WideToUtf8(provider.name));
        if (runWizards) {
            STreeItemInfo::RunPfxImportWizard(*m_facade, provider, filePath, reader);
        }
    }

    void RunPfxExportWizard(const std::wstring& filePath, const std::wstring& reader,
                            const std::wstring& container, DWORD keySpec,
                            const std::wstring& name) override {
        events.push_back("pfx export " + WideToUtf8(filePath) + " of " + WideToUtf8(reader) + " " +
                         WideToUtf8(container) + " " + std::to_string(keySpec) + " " +
                         WideToUtf8(name));
        if (runWizards) {
            STreeItemInfo::RunPfxExportWizard(*m_facade, filePath, reader, container, keySpec,
                                              name);
        }
    }
    void RedrawNode(const STreeItemInfo::ITreeItemInfo* node) override {
        events.push_back("redraw " + PathOf(node));
    }

    void OnMessage(const STreeItemInfo::CItemChildsEnumingMsg& msg) {
        events.push_back("enum " + std::to_string(msg.code) + " " + PathOf(msg.node));
        m_registry.Dispatch(msg);
    }
    void OnMessage(const STreeItemInfo::CContainerItemInfoMsg& msg) {
        events.push_back("container msg " + std::to_string(msg.code));
    }
    void OnMessage(const STreeItemInfo::CKeyMsg& msg) {
        events.push_back("key msg " + std::to_string(msg.code));
    }
    void OnMessage(const SFrameFacade::MESSAGES::CItemInTheTreeSelectedMsg& msg) {
        events.push_back((msg.selected ? "selected " : "deselected ") + PathOf(msg.node));
    }

private:
    // A receiver handing its messages to the frame while it lives.
    template <class Msg>
    struct Receiver
        : SDP::SOBSERVER::COwnedReceiver<FakeFrame, Msg, STreeItemInfo::CTreeThreadModel> {
        explicit Receiver(FakeFrame* owner) { this->SetOwner(owner); }
        ~Receiver() override { this->SetOwner(nullptr); }
    };

    static std::string PathOf(const STreeItemInfo::ITreeItemInfo* node) {
        return node != nullptr ? WideToUtf8(node->GetPath()) : std::string();
    }
    // " wait" or " arrow" while a scripted UI is installed, nothing otherwise.
    static std::string Cursor() {
        const auto* ui = dynamic_cast<const ScriptedUi*>(&GetUserInterface());
        return ui == nullptr ? "" : ui->Cursor() == IDC_WAIT ? " wait" : " arrow";
    }

    STreeItemInfo::CTreeMessageHub m_hub;
    STreeItemInfo::UI::CEnumChildsMsgAcceptorRegistry m_registry;
    std::unique_ptr<FakeView> m_view;
    Receiver<STreeItemInfo::CItemChildsEnumingMsg> m_enumReceiver{this};
    Receiver<STreeItemInfo::CContainerItemInfoMsg> m_containerReceiver{this};
    Receiver<STreeItemInfo::CKeyMsg> m_keyReceiver{this};
    Receiver<SFrameFacade::MESSAGES::CItemInTheTreeSelectedMsg> m_selectedReceiver{this};
    CFrameFacadePtr m_facade = std::make_shared<CFrameFacade>(this);
};

}  // namespace vktest
