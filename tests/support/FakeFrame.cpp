#include "support/FakeFrame.h"

#include "platform/text/Utf.h"
#include "program/token/CProviderDescriptor.h"
#include "program/tree/ITreeItemInfo.h"
#include "support/ScriptedUi.h"

namespace vktest {

namespace {

std::string PathOf(const STreeItemInfo::ITreeItemInfo* node) {
    return node != nullptr ? WideToUtf8(node->GetPath()) : std::string();
}

// " wait" or " arrow" while a scripted UI is installed, nothing otherwise.
std::string Cursor() {
    const auto* ui = dynamic_cast<const ScriptedUi*>(&GetUserInterface());
    if (ui == nullptr) {
        return {};
    }
    return ui->Cursor() == IDC_WAIT ? " wait" : " arrow";
}

}  // namespace

void FakeView::FillTokenRecord(const STokenRecord& record) {
    m_log.push_back("fill token " + WideToUtf8(record.label));
}

void FakeView::FillContainerName(const std::wstring& name) {
    m_log.push_back("fill container " + WideToUtf8(name));
}

void FakeView::FillKeyLength(DWORD bits) {
    m_log.push_back("fill key length " + std::to_string(bits));
}

void FakeView::FillPublicKey(const std::vector<BYTE>& blob) {
    m_log.push_back(blob.empty() ? "fill empty public key" : "fill public key");
}

void FakeView::FillCertificate(const std::vector<BYTE>& der) {
    certificate = der;
    m_log.push_back("fill certificate");
}

FakeFrame::FakeFrame() {
    m_registry.SetFacade(m_facade);
    STreeItemInfo::UI::RegisterDefaultCreators(m_registry);
    m_enumReceiver.SetOwner(this);
    m_containerReceiver.SetOwner(this);
    m_keyReceiver.SetOwner(this);
    m_selectedReceiver.SetOwner(this);
    m_hub.itemChildsEnuming.Attach(m_enumReceiver);
    m_hub.containerItemInfo.Attach(m_containerReceiver);
    m_hub.key.Attach(m_keyReceiver);
    m_hub.itemInTheTreeSelected.Attach(m_selectedReceiver);
}

FakeFrame::~FakeFrame() {
    m_facade->Detach();
    m_enumReceiver.SetOwner(nullptr);
    m_containerReceiver.SetOwner(nullptr);
    m_keyReceiver.SetOwner(nullptr);
    m_selectedReceiver.SetOwner(nullptr);
}

Log FakeFrame::Only(std::initializer_list<const char*> prefixes) const {
    Log lines;
    for (const std::string& line : events) {
        for (const char* prefix : prefixes) {
            if (line.starts_with(prefix)) {
                lines.push_back(line);
                break;
            }
        }
    }
    return lines;
}

IRightView* FakeFrame::ReplaceRightView(ERightViewKind kind) {
    static const char* const names[] = {"token", "container", "key", "certificate"};
    events.push_back(std::string("view ") + names[static_cast<int>(kind)]);
    m_view = std::make_unique<FakeView>(kind, events);
    return m_view.get();
}

void FakeFrame::SetStatusMessage(const std::optional<std::wstring>& text) {
    events.push_back((text ? "status " + WideToUtf8(*text) : std::string("idle")) + Cursor());
}

void FakeFrame::RouteCommand(UINT commandId) {
    events.push_back("route " + std::to_string(commandId));
}

void FakeFrame::RunPfxImportWizard(const SVKCERT::CProviderDescriptor& provider,
                                   const std::wstring& filePath, const std::wstring& reader) {
    events.push_back("pfx import " + WideToUtf8(filePath) + " into " + WideToUtf8(reader) +
                     " with " + WideToUtf8(provider.name));
}

void FakeFrame::RunPfxExportWizard(const std::wstring& filePath, const std::wstring&,
                                   const std::wstring&, DWORD, const std::wstring&) {
    events.push_back("pfx export " + WideToUtf8(filePath));
}

void FakeFrame::OnMessage(const STreeItemInfo::CItemChildsEnumingMsg& msg) {
    events.push_back("enum " + std::to_string(msg.code) + " " + PathOf(msg.node));
    m_registry.Dispatch(msg);
}

void FakeFrame::OnMessage(const STreeItemInfo::CContainerItemInfoMsg& msg) {
    events.push_back("container msg " + std::to_string(msg.code));
}

void FakeFrame::OnMessage(const STreeItemInfo::CKeyMsg& msg) {
    events.push_back("key msg " + std::to_string(msg.code));
}

void FakeFrame::OnMessage(const SFrameFacade::MESSAGES::CItemInTheTreeSelectedMsg& msg) {
    events.push_back((msg.selected ? "selected " : "deselected ") + PathOf(msg.node));
}

}  // namespace vktest
