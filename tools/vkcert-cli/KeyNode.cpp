#include "KeyNode.h"

#include <sys/stat.h>

#include <utility>

#include "Messages.h"
#include "platform/crypto/SecureBytes.h"
#include "platform/text/Utf.h"
#include "platform/token/TokenWorld.h"
#include "program/tree/PfxExportCommand.h"
#include "program/tree/TreeListing.h"
#include "res/resource.h"

namespace vkcli {

KeyNodeLookup::KeyNodeLookup()
    : m_facade(std::make_shared<CFrameFacade>(&m_frame)), m_frame(*m_facade) {
    m_root.emplace(m_facade);
}

void CliFrame::RunPfxExportWizard(const std::wstring& filePath, const std::wstring& readerName,
                                  const std::wstring& containerName, DWORD keySpec,
                                  const std::wstring& certificateName) {
    STreeItemInfo::RunPfxExportWizard(m_facade, filePath, readerName, containerName, keySpec,
                                      certificateName);
}

KeyNodeLookup::~KeyNodeLookup() {
    m_facade->Detach();
}

STreeItemInfo::CCertificateItemInfo* KeyNodeLookup::Find(const std::wstring& path) {
    // Reading an absent world would create it: nothing is there to find.
    struct stat st {};
    if (::stat((vkstore::TokenWorld::DefaultRoot() / "world.db").c_str(), &st) != 0) {
        return nullptr;
    }
    STreeItemInfo::ITreeItemInfo* node = &*m_root;
    while (node != nullptr) {
        STreeItemInfo::ITreeItemInfo* next = nullptr;
        for (auto& child : STreeItemInfo::SortedChildren(*node)) {
            const std::wstring childPath = child->GetPath();
            if (childPath == path) {
                m_kept.push_back(child);
                return dynamic_cast<STreeItemInfo::CCertificateItemInfo*>(child.get());
            }
            if (path.starts_with(childPath + L"\\")) {
                m_kept.push_back(child);
                next = child.get();
                break;
            }
        }
        node = next;
    }
    return nullptr;
}

CliUserInterface::CliUserInterface(std::wstring file, int filterIndex, bool yes)
    : m_file(std::move(file)),
      m_filterIndex(filterIndex),
      m_yes(yes),
      m_previous(SetUserInterface(this)) {}

CliUserInterface::~CliUserInterface() {
    SetUserInterface(m_previous);
    vk::crypto::WipeString(m_password);
}

SWizardPageResult CliUserInterface::RunWizardPage(const SWizardPageRequest& request) {
    SWizardPageResult result;
    result.values = request.values;
    if (request.templateId == IDD_PFX_EXPORT_PASSWORD) {
        for (const auto& [id, limit] : request.limits) {
            if (std::cmp_greater(m_password.size(), limit)) {
                errorShown = true;
                PrintError(WideToUtf8(request.limitMessage));
                return {};
            }
            result.values.texts[id] = m_password;
        }
        if (request.forwardEnabled && !request.forwardEnabled(result.values)) {
            return {};
        }
    } else if (request.templateId == IDD_PFX_EXPORT_ERROR) {
        wizardEnd = request.messageId;
        wizardError = request.errorCode;
        PrintError(WideToUtf8(request.values.texts.at(IDC_EXP_ERROR_TEXT)));
    } else if (request.templateId == IDD_PFX_EXPORT_SUCCESS) {
        wizardEnd = request.messageId;
    } else {
        return {};
    }
    result.endCode = IDOK;
    return result;
}

int CliUserInterface::MessageBox(const std::wstring& text, const std::wstring&, UINT type) {
    if ((type & MB_TYPEMASK) == MB_YESNO || (type & MB_TYPEMASK) == MB_YESNOCANCEL) {
        return m_yes ? IDYES : IDNO;
    }
    const UINT icon = type & MB_ICONMASK;
    if (icon == MB_ICONERROR || icon == MB_ICONWARNING) {
        errorShown = true;
        PrintError(WideToUtf8(text));
    }
    return (type & MB_TYPEMASK) == MB_OK ? IDOK : IDCANCEL;
}

std::optional<SFileDialogResult> CliUserInterface::FileDialog(const SFileDialogRequest& request) {
    asked = true;
    if (request.check && !request.check(m_file)) {
        checkFailed = true;
        return std::nullopt;
    }
    if (request.accept && !request.accept(m_file, m_filterIndex)) {
        refused = true;
        return std::nullopt;
    }
    return SFileDialogResult{m_file, m_filterIndex};
}

}  // namespace vkcli
