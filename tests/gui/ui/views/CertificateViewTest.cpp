// The certificate view: the rows of a certificate made with OpenSSL reach the list in the
// property list's order with their texts and icons, the detail box shows the selected row's
// detail (line breaks and all), captions stay English in the Russian interface, and bytes that
// are no certificate leave the list empty with the reason in the box. The rows' texts are the
// certificate list tests'.
#include <QFontInfo>

#include "ViewTestSupport.h"
#include "gui/ui/views/CCertificateViewEx.h"
#include "gui/widgets/CEdit_Ex.h"
#include "gui/widgets/CListWithEditEx.h"
#include "platform/errors/ErrorDescription.h"
#include "program/token/CCertException.h"
#include "program/ui/certlist/BuildCertificateRows.h"
#include "support/TempWorld.h"

namespace {

using SSertListItemInfo::ISLItemInfo;
using viewtest::Text;
using viewtest::UseLanguage;

class CertificateView : public testing::Test {
protected:
    CCertificateViewEx* Make(const std::vector<BYTE>& der) {
        auto* view = viewtest::MakeView<CCertificateViewEx>(ERightViewKind::Certificate, pane.host);
        view->AsCertificate()->FillCertificate(der);
        return view;
    }

    vktest::TempWorld world;
    viewtest::Pane pane;
};

// The rows the property list makes of the same certificate, apart from the view.
std::vector<std::unique_ptr<ISLItemInfo>> ExpectedRows(const std::vector<BYTE>& der) {
    std::vector<std::unique_ptr<ISLItemInfo>> rows;
    SSertListItemInfo::BuildCertificateRows(
        der, [&rows](std::unique_ptr<ISLItemInfo> row) { rows.push_back(std::move(row)); });
    return rows;
}

TEST_F(CertificateView, ShowsEveryRowInOrderTheSelectedDetailAndEnglishCaptionsInBothLanguages) {
    UseLanguage(1024);
    auto* view = Make(viewtest::Demo2048().certificate);
    EXPECT_EQ(view->AsCertificate(), view);
    EXPECT_EQ(view->HeaderText(), "\nCertificate to view");

    // Ten fixed rows and the four extensions of the demo certificate.
    const auto expected = ExpectedRows(viewtest::Demo2048().certificate);
    ASSERT_EQ(expected.size(), 14u);
    ASSERT_EQ(view->RowCount(), 14);
    for (int row = 0; row < view->RowCount(); ++row) {
        const ISLItemInfo& want = *expected[static_cast<size_t>(row)];
        EXPECT_EQ(Text(view->List(), row, 0), QString::fromStdWString(want.GetName())) << row;
        EXPECT_EQ(Text(view->List(), row, 1), QString::fromStdWString(want.GetValue())) << row;
        const QIcon icon = view->List()->topLevelItem(row)->icon(0);
        EXPECT_EQ(icon.cacheKey(), view->Icons().ImageFor(want.GetIconId()).cacheKey()) << row;
    }
    // Text, extension and thumbprint rows have three different images.
    EXPECT_EQ(view->Icons().Count(), 3);
    EXPECT_NE(view->List()->topLevelItem(8)->icon(0).cacheKey(),
              view->List()->topLevelItem(12)->icon(0).cacheKey());

    CEdit_Ex* box = view->ListWidget()->Edit();
    view->List()->setCurrentItem(view->List()->topLevelItem(7));
    EXPECT_TRUE(box->toPlainText().startsWith("3082 010A 0282 0101"));
    EXPECT_TRUE(QFontInfo(box->font()).fixedPitch());
    // The subject's detail is the multi-line X.500 form: lines, no stray '\r'.
    view->List()->setCurrentItem(view->List()->topLevelItem(6));
    const std::wstring detail = view->RowAt(6)->GetDetail();
    ASSERT_NE(detail.find(L"\r\n"), std::wstring::npos);
    EXPECT_EQ(box->toPlainText(), QString::fromStdWString(detail).replace("\r\n", "\n"));
    EXPECT_TRUE(box->toPlainText().contains(QString::fromUtf8("Иванов Иван")));

    // The captions stay English in the Russian interface.
    UseLanguage(1049);
    view = Make(viewtest::Demo2048().certificate);
    EXPECT_EQ(view->HeaderText(), QString::fromUtf8("\nПросмотр сертификата"));
    EXPECT_EQ(Text(view->List(), 0, 0), "Version");
    EXPECT_EQ(Text(view->List(), 1, 0), "Serial number");
    EXPECT_EQ(view->List()->headerItem()->text(0), QString::fromUtf8("Свойство"));
}

TEST_F(CertificateView, BytesThatAreNoCertificateLeaveTheListEmptyAndSayWhy) {
    UseLanguage(1024);
    std::vector<BYTE> half = viewtest::Demo2048().certificate;
    half.resize(half.size() / 2);
    DWORD code = 0;
    try {
        ExpectedRows(half);
    } catch (const SVKCERT::SEXCPT::CCertException& e) {
        code = e.GetCode();
    }
    ASSERT_NE(code, 0u) << "half a certificate was read";

    for (const std::vector<BYTE>& bytes : {half, std::vector<BYTE>{}}) {
        auto* view = Make(bytes);
        EXPECT_EQ(view->RowCount(), 0);
        const QString said = view->ListWidget()->Edit()->toPlainText();
        EXPECT_FALSE(said.isEmpty());
        if (!bytes.empty()) {
            EXPECT_EQ(said, QString::fromStdWString(SystemErrorDescription(code, 1024)));
        }
    }
}

}  // namespace
