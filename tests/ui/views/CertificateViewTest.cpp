// The certificate view: the rows of a certificate made with OpenSSL reach the
// list in the property list's order with their texts and icons, the detail
// box shows the selected row's detail (line breaks and all) in the
// fixed-pitch font, captions stay English in the Russian interface, and bytes
// that are no certificate leave the list empty with the reason in the box.
#include <QFontInfo>
#include <QPlainTextEdit>

#include "ViewTestSupport.h"
#include "app/lang/UiLanguage.h"
#include "platform/errors/ErrorDescription.h"
#include "support/TempWorld.h"
#include "token/CCertException.h"
#include "ui/model/certlist/BuildCertificateRows.h"
#include "ui/views/CCertificateViewEx.h"
#include "widgets/CEdit_Ex.h"
#include "widgets/CListWithEditEx.h"

namespace {

using SSertListItemInfo::ISLItemInfo;
using viewtest::Column;
using viewtest::MakeView;
using viewtest::Pane;
using viewtest::Text;
using viewtest::UseLanguage;

class CertificateView : public testing::Test {
protected:
    CCertificateViewEx* FilledView() {
        auto* view = MakeView<CCertificateViewEx>(ERightViewKind::Certificate, pane.host);
        if (view != nullptr) {
            view->AsCertificate()->FillCertificate(viewtest::Demo2048().certificate);
        }
        return view;
    }

    int RowNamed(const CCertificateViewEx* view, const QString& caption) {
        for (int row = 0; row < view->RowCount(); ++row) {
            if (Text(view->List(), row, 0) == caption) {
                return row;
            }
        }
        return -1;
    }

    vktest::TempWorld world;
    Pane pane;
};

// The rows the property list makes of the same certificate, built apart from the view.
std::vector<std::unique_ptr<ISLItemInfo>> ExpectedRows(const std::vector<BYTE>& der) {
    std::vector<std::unique_ptr<ISLItemInfo>> rows;
    SSertListItemInfo::BuildCertificateRows(
        der, [&rows](std::unique_ptr<ISLItemInfo> row) { rows.push_back(std::move(row)); });
    return rows;
}

TEST_F(CertificateView, ShowsEveryRowOfThePropertyListInOrder) {
    UseLanguage(1024);
    auto* view = FilledView();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->Kind(), ERightViewKind::Certificate);
    EXPECT_EQ(view->AsCertificate(), view);
    EXPECT_EQ(view->HeaderText(), "\nCertificate to view");

    const auto expected = ExpectedRows(viewtest::Demo2048().certificate);
    // Ten fixed rows and the four extensions of the demo certificate.
    ASSERT_EQ(expected.size(), 14u);
    ASSERT_EQ(view->RowCount(), 14);
    for (int row = 0; row < view->RowCount(); ++row) {
        const ISLItemInfo& want = *expected[static_cast<size_t>(row)];
        EXPECT_EQ(Text(view->List(), row, 0), QString::fromStdWString(want.GetName())) << row;
        EXPECT_EQ(Text(view->List(), row, 1), QString::fromStdWString(want.GetValue())) << row;
        const QIcon icon = view->List()->topLevelItem(row)->icon(0);
        EXPECT_EQ(icon.cacheKey(), view->Icons().ImageFor(want.GetIconId()).cacheKey()) << row;
    }
    EXPECT_EQ(Text(view->List(), 0, 0), "Version");
    EXPECT_EQ(Text(view->List(), 0, 1), "V3");
    EXPECT_EQ(Text(view->List(), 12, 0), "SHA1 Thumbprint");
    EXPECT_EQ(Text(view->List(), 12, 1).size(), 59);
    EXPECT_EQ(Text(view->List(), 13, 1).size(), 47);
    // Icons registered in the view's order: text, extension, thumbprint.
    EXPECT_EQ(view->Icons().IndexOf(170), 0);
    EXPECT_EQ(view->Icons().IndexOf(181), 1);
    EXPECT_EQ(view->Icons().IndexOf(130), 2);
    EXPECT_NE(view->List()->topLevelItem(8)->icon(0).cacheKey(),
              view->List()->topLevelItem(12)->icon(0).cacheKey());
}

TEST_F(CertificateView, SelectedRowShowsItsDetail) {
    UseLanguage(1024);
    auto* view = FilledView();
    ASSERT_NE(view, nullptr);
    QPlainTextEdit* box = view->ListWidget()->Edit();
    const int publicKey = RowNamed(view, "Public Key");
    ASSERT_GE(publicKey, 0);
    EXPECT_EQ(Text(view->List(), publicKey, 1), "RSA1 (2048)");
    view->List()->setCurrentItem(view->List()->topLevelItem(publicKey));
    EXPECT_TRUE(box->toPlainText().startsWith("3082 010A 0282 0101"));
    EXPECT_TRUE(QFontInfo(box->font()).fixedPitch());

    // The subject's detail is the multi-line X.500 form: lines, no stray '\r'.
    const int subject = RowNamed(view, "Subject");
    ASSERT_GE(subject, 0);
    view->List()->setCurrentItem(view->List()->topLevelItem(subject));
    const std::wstring detail = view->RowAt(subject)->GetDetail();
    ASSERT_NE(detail.find(L"\r\n"), std::wstring::npos);
    const QString shown = box->toPlainText();
    EXPECT_FALSE(shown.contains('\r'));
    EXPECT_EQ(shown, QString::fromStdWString(detail).replace("\r\n", "\n"));
    EXPECT_TRUE(shown.contains(QString::fromUtf8("Иванов Иван")));
}

TEST_F(CertificateView, CaptionsStayEnglishInTheRussianInterface) {
    UseLanguage(1049);
    auto* view = FilledView();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->HeaderText(), QString::fromUtf8("\nПросмотр сертификата"));
    EXPECT_EQ(Text(view->List(), 0, 0), "Version");
    EXPECT_EQ(Text(view->List(), 1, 0), "Serial number");
    EXPECT_EQ(view->List()->headerItem()->text(0), QString::fromUtf8("Свойство"));
}

TEST_F(CertificateView, BytesThatAreNoCertificateLeaveTheListEmptyAndSayWhy) {
    UseLanguage(1024);
    std::vector<BYTE> broken = viewtest::Demo2048().certificate;
    broken.resize(broken.size() / 2);
    DWORD code = 0;
    try {
        ExpectedRows(broken);
    } catch (const SVKCERT::SEXCPT::CCertException& e) {
        code = e.GetCode();
    }
    ASSERT_NE(code, 0u) << "half a certificate was read";

    auto* view = MakeView<CCertificateViewEx>(ERightViewKind::Certificate, pane.host);
    ASSERT_NE(view, nullptr);
    view->AsCertificate()->FillCertificate(broken);
    EXPECT_EQ(view->RowCount(), 0);
    const QString said = view->ListWidget()->Edit()->toPlainText();
    EXPECT_FALSE(said.isEmpty());
    EXPECT_EQ(said, QString::fromStdWString(SystemErrorDescription(code, GetUiLanguage())));

    // Nothing at all is no certificate either.
    auto* empty = MakeView<CCertificateViewEx>(ERightViewKind::Certificate, pane.host);
    ASSERT_NE(empty, nullptr);
    empty->AsCertificate()->FillCertificate({});
    EXPECT_EQ(empty->RowCount(), 0);
    EXPECT_FALSE(empty->ListWidget()->Edit()->toPlainText().isEmpty());
}

}  // namespace
