#include "gui/ui/views/CCertificateViewEx.h"

#include "gui/ui/views/ViewText.h"
#include "gui/widgets/CListWithEditEx.h"
#include "platform/errors/ErrorDescription.h"
#include "program/app/UiLanguage.h"
#include "program/token/CCertException.h"
#include "program/ui/certlist/BuildCertificateRows.h"
#include "res/resource.h"

namespace {

constexpr int kPropertyWeight = 30;
constexpr int kValueWeight = 70;

}  // namespace

CCertificateViewEx::CCertificateViewEx(CFrameFacadePtr facade, QWidget* parent)
    : CRowListView(IDD_CERTIFICATE_VIEW, IDC_VIEW_HEADER, IDC_VIEW_SEPARATOR,
                   {IDC_PROPERTY_LIST,
                    kPropertyWeight,
                    kValueWeight,
                    {IDI_ROW_TEXT, IDI_ROW_EXTENSION, IDI_ROW_THUMBPRINT}},
                   std::move(facade), parent) {}

void CCertificateViewEx::FillCertificate(const std::vector<BYTE>& encodedCertificate) {
    try {
        SSertListItemInfo::BuildCertificateRows(
            encodedCertificate, [this](std::unique_ptr<SSertListItemInfo::ISLItemInfo> row) {
                AddRow(std::move(row));
            });
    } catch (const SVKCERT::SEXCPT::CCertException& e) {
        if (ListWidget() != nullptr) {
            ListWidget()->SetDetailText(
                ToQString(SystemErrorDescription(e.GetCode(), GetUiLanguage())));
        }
    }
}
