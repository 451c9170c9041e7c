// The token view: the header before and after a token is shown, the seven or eight rows of a
// token record in English and Russian, the column captions, and the detail box following the
// selection. The row texts are made (and tested) by viewtext; here they must reach the list in
// order. The column split is the widgets tests'.
#include "ViewTestSupport.h"
#include "gui/ui/views/CTokenInfoViewEx.h"
#include "gui/widgets/CEdit_Ex.h"
#include "gui/widgets/CListWithEditEx.h"
#include "support/TempWorld.h"

namespace {

using viewtest::Column;
using viewtest::MakeView;
using viewtest::Text;
using viewtest::UseLanguage;

class TokenInfoView : public testing::Test {
protected:
    CTokenInfoViewEx* Make() {
        return MakeView<CTokenInfoViewEx>(ERightViewKind::TokenInfo, pane.host);
    }

    vktest::TempWorld world;
    viewtest::Pane pane;
};

TEST_F(TokenInfoView, ProTokenShowsEightRowsAndItsLabelInTheHeader) {
    UseLanguage(1024);
    auto* view = Make();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->AsTokenInfo(), view);
    EXPECT_EQ(view->AsKey(), nullptr);
    EXPECT_EQ(view->HeaderText(), "No Velkora's detected.");
    EXPECT_EQ(view->RowCount(), 0);

    view->AsTokenInfo()->FillTokenRecord(viewtest::DemoProRecord());
    EXPECT_EQ(view->HeaderText(), "Token <Velkora Pro Demo> properties");
    EXPECT_EQ(
        Column(view->List(), 0),
        (std::vector<QString>{"Name", "Type", "ID (hex)", "Version", "Protocol #", "Microprogram #",
                              "Free memory (bytes)", "Users that can change User PIN:"}));
    EXPECT_EQ(Column(view->List(), 1),
              (std::vector<QString>{"Velkora Pro Demo", "Velkora Pro 64K", "1A2B3C4D", "3.1", "2",
                                    "7", "41216", "User & Admin"}));
    for (int row = 0; row < view->RowCount(); ++row) {
        EXPECT_FALSE(view->List()->topLevelItem(row)->icon(0).isNull()) << row;
    }
    // The copy the view keeps carries the texts it made.
    EXPECT_EQ(view->Record().policyText, L"User & Admin");
    EXPECT_EQ(view->Record().header, L"Token <Velkora Pro Demo> properties");

    // The detail box shows the selected row's value.
    view->List()->setCurrentItem(view->List()->topLevelItem(1));
    EXPECT_EQ(view->ListWidget()->Edit()->toPlainText(), "Velkora Pro 64K");
    EXPECT_EQ(view->List()->headerItem()->text(0), "Property");
    EXPECT_EQ(view->List()->headerItem()->text(1), "Value");
}

TEST_F(TokenInfoView, TypeTwoShowsSevenRowsOtherTypesTheirPolicyWord) {
    UseLanguage(1024);
    STokenRecord third = viewtest::DemoProRecord();
    third.tokenType = 2;
    third.label = L"Third";
    auto* view = Make();
    ASSERT_NE(view, nullptr);
    view->AsTokenInfo()->FillTokenRecord(third);
    EXPECT_EQ(view->RowCount(), 7);
    EXPECT_EQ(Text(view->List(), 6, 0), "Free memory (bytes)");
    EXPECT_EQ(view->HeaderText(), "Token <Third> properties");

    auto* mini = Make();
    ASSERT_NE(mini, nullptr);
    mini->AsTokenInfo()->FillTokenRecord(viewtest::DemoMiniRecord());
    ASSERT_EQ(mini->RowCount(), 8);
    EXPECT_EQ(Text(mini->List(), 2, 1), "00C0FFEE");
    EXPECT_EQ(Text(mini->List(), 7, 1), "User");
}

TEST_F(TokenInfoView, RussianInterfaceShowsTheRussianHeaderAndCaptions) {
    UseLanguage(1049);
    auto* view = Make();
    ASSERT_NE(view, nullptr);
    view->AsTokenInfo()->FillTokenRecord(viewtest::DemoProRecord());
    EXPECT_EQ(view->HeaderText(), QString::fromUtf8("Свойства токена <Velkora Pro Demo>"));
    EXPECT_EQ(Text(view->List(), 0, 0), QString::fromUtf8("Имя"));
    EXPECT_EQ(Text(view->List(), 2, 1), "1A2B3C4D");
}

}  // namespace
