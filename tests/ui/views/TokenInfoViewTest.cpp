// The token view: its header before and after a token is shown, the seven or
// eight rows of a token record in English and Russian, the column captions
// and their split, the detail box following the selection, and the record
// copy the view keeps. The row texts themselves are made (and tested) by
// viewtext; here they must reach the list in order and unchanged.
#include <QHeaderView>
#include <QPlainTextEdit>

#include "ViewTestSupport.h"
#include "support/TempWorld.h"
#include "ui/views/CTokenInfoViewEx.h"
#include "widgets/CEdit_Ex.h"
#include "widgets/CListWithEditEx.h"

namespace {

using viewtest::Column;
using viewtest::MakeView;
using viewtest::Pane;
using viewtest::Text;
using viewtest::UseLanguage;

class TokenInfoView : public testing::Test {
protected:
    vktest::TempWorld world;
    Pane pane;
};

TEST_F(TokenInfoView, HeaderTellsThatNoTokenIsShownUntilOneIs) {
    UseLanguage(1024);
    auto* view = MakeView<CTokenInfoViewEx>(ERightViewKind::TokenInfo, pane.host);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->HeaderText(), "No Velkora's detected.");
    EXPECT_EQ(view->HeaderTemplate(), L"Token %s<%s> properties");
    EXPECT_EQ(view->RowCount(), 0);
    EXPECT_EQ(view->Kind(), ERightViewKind::TokenInfo);
    EXPECT_EQ(view->AsTokenInfo(), view);
    EXPECT_EQ(view->AsKey(), nullptr);
    EXPECT_EQ(view->AsCertificate(), nullptr);
    EXPECT_EQ(view->AsContainer(), nullptr);
}

TEST_F(TokenInfoView, ProTokenShowsEightRowsWithThePinPolicyInEnglish) {
    UseLanguage(1024);
    auto* view = MakeView<CTokenInfoViewEx>(ERightViewKind::TokenInfo, pane.host);
    ASSERT_NE(view, nullptr);
    view->AsTokenInfo()->FillTokenRecord(viewtest::DemoProRecord());

    EXPECT_EQ(view->HeaderText(), "Token <Velkora Pro Demo> properties");
    const std::vector<QString> captions{"Name",
                                        "Type",
                                        "ID (hex)",
                                        "Version",
                                        "Protocol #",
                                        "Microprogram #",
                                        "Free memory (bytes)",
                                        "Users that can change User PIN:"};
    const std::vector<QString> values{
        "Velkora Pro Demo", "Velkora Pro 64K", "1A2B3C4D", "3.1", "2", "7", "41216",
        "User & Admin"};
    EXPECT_EQ(Column(view->List(), 0), captions);
    EXPECT_EQ(Column(view->List(), 1), values);
    // Every row carries the view's one icon.
    for (int row = 0; row < view->RowCount(); ++row) {
        EXPECT_FALSE(view->List()->topLevelItem(row)->icon(0).isNull()) << row;
    }
    // The copy kept by the view carries the texts the view made.
    EXPECT_EQ(view->Record().policyText, L"User & Admin");
    EXPECT_EQ(view->Record().header, L"Token <Velkora Pro Demo> properties");
    EXPECT_EQ(view->Record().tokenId, 0x1A2B3C4Du);
}

TEST_F(TokenInfoView, TypeTwoShowsSevenRowsAndOtherPoliciesTheirWords) {
    UseLanguage(1024);
    STokenRecord noPolicy = viewtest::DemoProRecord();
    noPolicy.tokenType = 2;
    noPolicy.label = L"Third";
    auto* view = MakeView<CTokenInfoViewEx>(ERightViewKind::TokenInfo, pane.host);
    ASSERT_NE(view, nullptr);
    view->AsTokenInfo()->FillTokenRecord(noPolicy);
    EXPECT_EQ(view->RowCount(), 7);
    EXPECT_EQ(Text(view->List(), 6, 0), "Free memory (bytes)");
    EXPECT_TRUE(view->Record().policyText.empty());
    EXPECT_EQ(view->HeaderText(), "Token <Third> properties");

    // Type 0 with policy 2 (the Mini demo) and type 1 with policy 1.
    auto* mini = MakeView<CTokenInfoViewEx>(ERightViewKind::TokenInfo, pane.host);
    ASSERT_NE(mini, nullptr);
    mini->AsTokenInfo()->FillTokenRecord(viewtest::DemoMiniRecord());
    ASSERT_EQ(mini->RowCount(), 8);
    EXPECT_EQ(Text(mini->List(), 7, 1), "User");
    EXPECT_EQ(Text(mini->List(), 2, 1), "00C0FFEE");
    STokenRecord adminOnly = viewtest::DemoProRecord();
    adminOnly.pinChangePolicy = 1;
    auto* admin = MakeView<CTokenInfoViewEx>(ERightViewKind::TokenInfo, pane.host);
    ASSERT_NE(admin, nullptr);
    admin->AsTokenInfo()->FillTokenRecord(adminOnly);
    ASSERT_EQ(admin->RowCount(), 8);
    EXPECT_EQ(Text(admin->List(), 7, 1), "Admin");
}

TEST_F(TokenInfoView, RussianInterfaceShowsRussianCaptionsAndHeader) {
    UseLanguage(1049);
    auto* view = MakeView<CTokenInfoViewEx>(ERightViewKind::TokenInfo, pane.host);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->HeaderText(), QString::fromUtf8("Токены Velkora не обнаружены."));
    view->AsTokenInfo()->FillTokenRecord(viewtest::DemoProRecord());

    EXPECT_EQ(view->HeaderText(), QString::fromUtf8("Свойства токена <Velkora Pro Demo>"));
    ASSERT_EQ(view->RowCount(), 8);
    EXPECT_EQ(Text(view->List(), 0, 0), QString::fromUtf8("Имя"));
    EXPECT_EQ(Text(view->List(), 4, 0), QString::fromUtf8("Номер протокола"));
    EXPECT_EQ(Text(view->List(), 7, 0),
              QString::fromUtf8("Кто может менять PIN-код пользователя:"));
    EXPECT_EQ(Text(view->List(), 7, 1), QString::fromUtf8("Пользователь и администратор"));
    // Values are the record's, whatever the language.
    EXPECT_EQ(Text(view->List(), 0, 1), "Velkora Pro Demo");
    EXPECT_EQ(Text(view->List(), 2, 1), "1A2B3C4D");
    const QTreeWidgetItem* header = view->List()->headerItem();
    EXPECT_EQ(header->text(0), QString::fromUtf8("Свойство"));
    EXPECT_EQ(header->text(1), QString::fromUtf8("Значение"));
}

TEST_F(TokenInfoView, ColumnsShareTheListByThirtySevenToSixtyThree) {
    UseLanguage(1024);
    auto* view = MakeView<CTokenInfoViewEx>(ERightViewKind::TokenInfo, pane.host);
    ASSERT_NE(view, nullptr);
    const QTreeWidget* list = view->List();
    EXPECT_EQ(list->headerItem()->text(0), "Property");
    EXPECT_EQ(list->headerItem()->text(1), "Value");
    const int first = list->columnWidth(0);
    const int second = list->columnWidth(1);
    const int total = first + second;
    // 37 % rounded to nearest, together the list's width; the view was made
    // smaller than the pane, so the columns were rescaled once (a pixel each).
    EXPECT_LE(std::abs(first * 100 - total * 37), 100) << first << " of " << total;
    EXPECT_LE(list->viewport()->width() - total, 1);
    EXPECT_GE(list->viewport()->width() - total, 0);
}

TEST_F(TokenInfoView, SelectedRowShowsItsValueInTheDetailBox) {
    UseLanguage(1024);
    auto* view = MakeView<CTokenInfoViewEx>(ERightViewKind::TokenInfo, pane.host);
    ASSERT_NE(view, nullptr);
    view->AsTokenInfo()->FillTokenRecord(viewtest::DemoProRecord());
    QPlainTextEdit* box = view->ListWidget()->Edit();
    EXPECT_TRUE(box->toPlainText().isEmpty());
    view->List()->setCurrentItem(view->List()->topLevelItem(1));
    EXPECT_EQ(box->toPlainText(), "Velkora Pro 64K");
    view->List()->setCurrentItem(view->List()->topLevelItem(6));
    EXPECT_EQ(box->toPlainText(), "41216");
}

}  // namespace
