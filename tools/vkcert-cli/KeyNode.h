// What the export, import and pubkey commands share: the key node at a path of `list --paths`,
// a frame without windows, and a user interface that confirms one given file.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "program/tree/CCertTree.h"
#include "program/tree/CCertificateItemInfo.h"
#include "program/tree/CRootItem.h"
#include "program/tree/CTreeMessageHub.h"
#include "program/ui/CFrameFacade.h"
#include "program/ui/CNullFrame.h"
#include "program/ui/IUserInterface.h"

namespace vkcli {

// A frame without windows that notes a hand-over to the PFX import wizard and runs the PFX
// export wizard.
class CliFrame final : public CNullFrame {
public:
    explicit CliFrame(const CFrameFacade& facade) : m_facade(facade) {}
    void RunPfxExportWizard(const std::wstring& filePath, const std::wstring& readerName,
                            const std::wstring& containerName, DWORD keySpec,
                            const std::wstring& certificateName) override;

    STreeItemInfo::CTreeMessageHub* MessageHub() override { return &m_hub; }
    bool ShowContainers() const override { return true; }
    void RunPfxImportWizard(const SVKCERT::CProviderDescriptor&, const std::wstring&,
                            const std::wstring&) override {
        pfxImportAsked = true;
    }

    bool pfxImportAsked = false;

private:
    const CFrameFacade& m_facade;
    STreeItemInfo::CTreeMessageHub m_hub;
};

// The tree over a CliFrame, kept while the command runs.
class KeyNodeLookup {
public:
    KeyNodeLookup();
    ~KeyNodeLookup();
    KeyNodeLookup(const KeyNodeLookup&) = delete;
    KeyNodeLookup& operator=(const KeyNodeLookup&) = delete;

    // The key node whose path is `path`; null when there is none (or no token world at all).
    STreeItemInfo::CCertificateItemInfo* Find(const std::wstring& path);
    CliFrame& Frame() { return m_frame; }

private:
    SVKCERTTREE::CCertTreePtr m_tree;
    std::shared_ptr<CFrameFacade> m_facade;
    CliFrame m_frame;
    std::optional<STreeItemInfo::CRootItem> m_root;
    std::vector<STreeItemInfo::ITreeItemInfoPtr> m_kept;
};

// Answers the file dialog with one file as a user choosing it and pressing OK would: a file
// that fails the request's check or that the accept hook refuses leaves the dialog to be
// cancelled. Questions are answered Yes only when `yes`; error and warning boxes are printed on
// standard error, other boxes are not shown. The PFX export wizard's pages are answered with
// the password given (both entries), its error page printed. Installed while it lives.
class CliUserInterface final : public IUserInterface {
public:
    CliUserInterface(std::wstring file, int filterIndex, bool yes);
    ~CliUserInterface() override;
    CliUserInterface(const CliUserInterface&) = delete;
    CliUserInterface& operator=(const CliUserInterface&) = delete;

    int MessageBox(const std::wstring& text, const std::wstring& caption, UINT type) override;
    std::optional<SFileDialogResult> FileDialog(const SFileDialogRequest& request) override;
    SWizardPageResult RunWizardPage(const SWizardPageRequest& request) override;
    void SetWizardPassword(std::wstring password) { m_password = std::move(password); }

    bool asked = false;        // a file dialog was shown
    bool checkFailed = false;  // the file failed the dialog's check
    bool refused = false;      // the accept hook kept the dialog open
    bool errorShown = false;   // an error or warning box was shown
    UINT wizardEnd = 0;        // the message of the page a wizard ended on; 0: none
    DWORD wizardError = 0;     // the system error of that page

private:
    std::wstring m_file;
    int m_filterIndex;
    bool m_yes;
    std::wstring m_password;
    IUserInterface* m_previous;
};

}  // namespace vkcli
