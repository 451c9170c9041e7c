// A key without certificate: the rows "Key Length", "Permissions" and
// "Public Key" as the key node hands their data over.
#pragma once

#include "gui/ui/views/CRowListView.h"

class CKeyViewEx final : public CRowListView, public IKeyViewFill {
public:
    CKeyViewEx(CFrameFacadePtr facade, QWidget* parent);

    ERightViewKind Kind() const override { return ERightViewKind::Key; }
    IKeyViewFill* AsKey() override { return this; }

    void FillKeyLength(DWORD bits) override;
    void FillPermissions(DWORD permissions) override;
    // A blob that makes no public key row leaves the row out.
    void FillPublicKey(const std::vector<BYTE>& publicKeyBlob) override;
};
