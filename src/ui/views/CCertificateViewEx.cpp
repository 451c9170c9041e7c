#include "ui/views/CCertificateViewEx.h"

#include "app/lang/UiLanguage.h"
#include "platform/errors/ErrorDescription.h"
#include "token/CCertException.h"
#include "ui/model/certlist/BuildCertificateRows.h"
#include "ui/model/viewtext/ViewIds.h"
#include "ui/views/ViewControls.h"
#include "ui/views/ViewText.h"
#include "widgets/CListWithEditEx.h"

namespace {

constexpr int kPropertyWeight = 30;
constexpr int kValueWeight = 70;

}  // namespace

CCertificateViewEx::CCertificateViewEx(CFrameFacadePtr facade, QWidget* parent)
    : CRowListView(viewtext::kCertificateViewDialog, viewtext::kCertOrKeyHeaderControl,
                   views::kRowViewSeparator,
                   {views::kRowListPlaceholder,
                    kPropertyWeight,
                    kValueWeight,
                    {SSertListItemInfo::kIconText, SSertListItemInfo::kIconExtension,
                     SSertListItemInfo::kIconThumbprint}},
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
