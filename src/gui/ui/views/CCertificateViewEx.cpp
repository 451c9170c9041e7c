#include "gui/ui/views/CCertificateViewEx.h"

#include "program/app/UiLanguage.h"
#include "platform/errors/ErrorDescription.h"
#include "program/token/CCertException.h"
#include "program/ui/certlist/BuildCertificateRows.h"
#include "program/ui/viewtext/ViewIds.h"
#include "gui/ui/views/ViewControls.h"
#include "gui/ui/views/ViewText.h"
#include "gui/widgets/CListWithEditEx.h"

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
