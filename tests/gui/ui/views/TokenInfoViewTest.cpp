// The token view: the rows of token records of every type reaching the list in order with their
// icons in English and Russian, the header, the column captions, the detail box following the
// selection, and a view not yet filled and an empty reader both shown as no token. The row
// and header texts are made (and tested) by viewtext; the column split is the widgets tests'.
#include "ViewTestSupport.h"
#include "gui/ui/views/CTokenInfoViewEx.h"
#include "gui/widgets/CEdit_Ex.h"
#include "gui/widgets/CListWithEditEx.h"
#include "platform/token/TokenWorld.h"
#include "program/token/CTokenInfo.h"
#include "program/token/LoginState.h"
#include "program/ui/viewtext/TokenViewText.h"
#include "program/ui/viewtext/ViewTemplateText.h"
#include "support/TempWorld.h"

namespace {

using viewtest::Text;
using viewtest::UseLanguage;

class TokenInfoView : public testing::Test {
protected:
    CTokenInfoViewEx* Make() {
        return viewtest::MakeView<CTokenInfoViewEx>(ERightViewKind::TokenInfo, pane.host);
    }

    vktest::TempWorld world;
    viewtest::Pane pane;
};

TEST_F(TokenInfoView, RecordsOfEveryTypeReachTheListInOrderInBothLanguages) {
    for (const LANGID lang : {LANGID{1049}, LANGID{1024}}) {
        UseLanguage(lang);
        for (const BYTE type : {BYTE{0}, BYTE{1}, BYTE{2}}) {
            SCOPED_TRACE(testing::Message() << lang << " type " << int{type});
            STokenRecord record = viewtest::DemoProRecord();
            record.tokenType = type;
            auto* view = Make();
            view->AsTokenInfo()->FillTokenRecord(record);
            const auto rows = viewtext::TokenViewRows(record);
            ASSERT_EQ(view->RowCount(), static_cast<int>(rows.size()));
            for (int row = 0; row < view->RowCount(); ++row) {
                const auto& want = rows[static_cast<std::size_t>(row)];
                EXPECT_EQ(Text(view->List(), row, 0), QString::fromStdWString(want.caption));
                EXPECT_EQ(Text(view->List(), row, 1), QString::fromStdWString(want.value));
                EXPECT_FALSE(view->List()->topLevelItem(row)->icon(0).isNull()) << row;
            }
            // The copy the view keeps carries the texts it made.
            EXPECT_EQ(view->Record().policyText, record.policyText);
            const std::wstring header = viewtext::TokenViewHeader(
                viewtext::ViewTemplateText(IDD_TOKEN_VIEW, IDC_TOKEN_HEADER), record.label);
            EXPECT_EQ(view->HeaderText().toStdWString(), header);
            EXPECT_EQ(view->Record().header, header);
            delete view;
        }
    }
    // The detail box follows the selection; the column captions.
    auto* view = Make();
    view->AsTokenInfo()->FillTokenRecord(viewtest::DemoProRecord());
    EXPECT_EQ(view->HeaderText(), "Token <Velkora Pro Demo> properties");
    view->List()->setCurrentItem(view->List()->topLevelItem(1));
    EXPECT_EQ(view->ListWidget()->Edit()->toPlainText(), "Velkora Pro 64K");
    EXPECT_EQ(view->List()->headerItem()->text(0), "Property");
    EXPECT_EQ(view->List()->headerItem()->text(1), "Value");
}

TEST_F(TokenInfoView, AnEmptyReaderShowsNoTokenAndHasNoLoginState) {
    vkstore::TokenWorld tokens;
    tokens.AddReader("Empty reader");
    const std::pair<LANGID, QString> languages[] = {
        {LANGID{1024}, "No Velkora's detected."},
        {LANGID{1049}, QString::fromUtf8("Токены Velkora не обнаружены.")}};
    for (const auto& [lang, header] : languages) {
        SCOPED_TRACE(lang);
        UseLanguage(lang);
        CTokenInfo token(L"Empty reader", {});
        const STokenRecord record = token.GetTokenRecord();
        EXPECT_FALSE(record.present);
        EXPECT_EQ(token.GetLoginState(), SVKCERT::kLoginNotRead) << "nobody to log in to";
        auto* view = Make();
        EXPECT_EQ(view->AsTokenInfo(), view);
        EXPECT_EQ(view->AsKey(), nullptr);
        EXPECT_EQ(view->HeaderText(), header) << "before it is filled";
        view->AsTokenInfo()->FillTokenRecord(record);
        EXPECT_EQ(view->RowCount(), 0);
        EXPECT_EQ(view->HeaderText(), header);
        delete view;
    }
}

}  // namespace
