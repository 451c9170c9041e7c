// One key of a container with the certificate stored on it, if any. Building the node fails with
// CCertException when the container has no key of that specification.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "program/ops/CertStoreRegistration.h"
#include "program/tree/CItemInfoDefault.h"

namespace STreeItemInfo {

class CCertificateItemInfo final : public CItemInfoDefault {
public:
    CCertificateItemInfo(CFrameFacadePtr facade, std::wstring readerName,
                         std::wstring containerName, DWORD keySpec);

    std::string GetClassName() const override { return "CCertificateItemInfo"; }
    std::wstring GetTokenName() const override { return m_readerName; }
    // Subject name and a blank when there is a certificate, then "(Exchange Key, 1024)" etc.
    std::wstring GetDisplayText() override;
    int GetImage() override;
    int GetSelectedImage() override { return GetImage(); }
    bool IsCommandEnabled(UINT commandId) override;
    void OnCommand(UINT commandId) override;
    void OnUpdate(const CUpdateRequest& request) override;
    bool HasChilds() const override { return false; }
    bool ShowContextMenu(int screenX, int screenY) override;
    std::wstring GetPath() const override;

    DWORD GetKeySpec() const { return m_keySpec; }
    const std::wstring& GetContainerName() const { return m_containerName; }
    // The certificate's DER bytes; empty when the key has none.
    std::vector<BYTE> GetCertificate();

private:
    std::wstring ComputeDisplayText();
    bool HasCertificate();
    bool IsRegistered();
    // The key's public key as its certificate carries it (KeyPublicKey.h); empty when none.
    std::vector<BYTE> ReadPublicKey();
    void ExportCertificate();
    void ImportCertificate();
    // Adds the key's certificate to the user's store or takes it out (commands 32775, 32779).
    void ChangeStoreRegistration(SVKCERT::EStoreChange change);
    void ShowKeyInformation(IKeyViewFill* fill);
    void ReadKeyInformation(IKeyViewFill* fill);
    void SendKeyMsg(DWORD code);

    DWORD m_keySpec;
    std::wstring m_readerName;
    std::wstring m_containerName;
    std::wstring m_lastDisplayText;
};

}  // namespace STreeItemInfo
