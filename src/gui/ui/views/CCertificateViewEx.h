// A key whose certificate is present: the rows of the certificate property
// list, in order.
#pragma once

#include "gui/ui/views/CRowListView.h"

class CCertificateViewEx final : public CRowListView, public ICertificateViewFill {
public:
    CCertificateViewEx(CFrameFacadePtr facade, QWidget* parent);

    ERightViewKind Kind() const override { return ERightViewKind::Certificate; }
    ICertificateViewFill* AsCertificate() override { return this; }

    // Bytes that are not a certificate give no rows; the detail box then tells
    // why, in the system's words.
    void FillCertificate(const std::vector<BYTE>& encodedCertificate) override;
};
