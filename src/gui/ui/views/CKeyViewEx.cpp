#include "gui/ui/views/CKeyViewEx.h"

#include "program/token/CCardException.h"
#include "program/token/CCertException.h"
#include "program/ui/certlist/CPublicKeyItemInfo2.h"
#include "program/ui/viewtext/KeyViewRows.h"
#include "res/resource.h"

namespace {

constexpr int kPropertyWeight = 30;
constexpr int kValueWeight = 70;
constexpr const wchar_t* kPublicKeyCaption = L"Public Key";

}  // namespace

CKeyViewEx::CKeyViewEx(CFrameFacadePtr facade, QWidget* parent)
    : CRowListView(
          IDD_KEY_VIEW, IDC_VIEW_HEADER, IDC_VIEW_SEPARATOR,
          {IDC_PROPERTY_LIST, kPropertyWeight, kValueWeight, {IDI_ROW_TEXT, IDI_ROW_EXTENSION}},
          std::move(facade), parent) {}

void CKeyViewEx::FillKeyLength(DWORD bits) {
    AddRow(viewtext::MakeKeyLengthRow(bits));
}

void CKeyViewEx::FillPermissions(DWORD permissions) {
    AddRow(viewtext::MakePermissionsRow(permissions));
}

void CKeyViewEx::FillPublicKey(const std::vector<BYTE>& publicKeyBlob) {
    try {
        AddRow(SSertListItemInfo::MakeKeyPublicKeyRow(kPublicKeyCaption, publicKeyBlob));
    } catch (const SVKCERT::SEXCPT::CCertException&) {
        // No public key row; the other rows stay.
    } catch (const SVKCERT::SEXCPT::CCardException&) {
        // The same when the token could not be read.
    }
}
