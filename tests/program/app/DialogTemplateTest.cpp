// Dialog templates into the dialog model, both forms, and damaged templates. The program's own
// templates are tests/res's, widgets tests/gui/resources'.
#include <gtest/gtest.h>

#include <tuple>

#include "LangTestSupport.h"
#include "program/app/DialogTemplate.h"

TEST(DialogTemplate, ReadsTheExtendedAndTheClassicFormDamagedOnesFail) {
    const auto full = langtest::Bytes(RT_DIALOG, 230, 1024);
    const auto dlg = ParseDialogTemplate(full);
    ASSERT_TRUE(dlg);
    EXPECT_TRUE(dlg->extended);
    EXPECT_EQ(std::tie(dlg->cx, dlg->cy), std::make_tuple(300, 170));
    EXPECT_EQ(dlg->title, L"Import from PFX file");
    EXPECT_EQ(dlg->exStyle, 0x10000u);
    ASSERT_TRUE(dlg->hasFont);
    EXPECT_EQ(std::tie(dlg->pointSize, dlg->weight, dlg->charset), std::make_tuple(8, 400, 1));
    EXPECT_EQ(dlg->typeface, L"MS Shell Dlg");
    EXPECT_TRUE(dlg->menu.Empty());
    ASSERT_EQ(dlg->items.size(), 14u);

    const auto* picture = dlg->FindItem(1009);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->ClassName(), L"Static");
    ASSERT_TRUE(picture->title.IsId());
    EXPECT_EQ(picture->title.Id(), 244);
    EXPECT_EQ(picture->Text(), L"");
    EXPECT_EQ(std::tie(picture->x, picture->y, picture->cx, picture->cy),
              std::make_tuple(7, 7, 93, 135));

    // Class names by name and by ordinal; the widgets made of them are tests/gui/resources'.
    EXPECT_EQ(dlg->FindItem(1003)->ClassName(), L"SysListView32");
    EXPECT_EQ(dlg->FindItem(1002)->ClassName(), L"Edit");
    EXPECT_EQ(dlg->FindItem(1)->style & BS_TYPEMASK, BS_DEFPUSHBUTTON);
    EXPECT_EQ(dlg->FindItem(4242), nullptr);

    const auto classic = ParseDialogTemplate(langtest::Bytes(RT_DIALOG, 101, 1024));
    ASSERT_TRUE(classic);
    EXPECT_FALSE(classic->extended);
    EXPECT_EQ(std::tie(classic->x, classic->y, classic->cx, classic->cy),
              std::make_tuple(10, 20, 120, 40));
    EXPECT_TRUE(classic->style & WS_CHILD);
    EXPECT_EQ(classic->typeface, L"MS Sans Serif");
    EXPECT_EQ(classic->pointSize, 8);
    ASSERT_EQ(classic->items.size(), 1u);
    EXPECT_EQ(classic->items[0].id, 1001u);
    EXPECT_EQ(classic->items[0].Text(), L"Plain");
    EXPECT_EQ(classic->items[0].ClassName(), L"Static");

    for (std::size_t cut = 0; cut < full.size(); ++cut) {
        EXPECT_FALSE(ParseDialogTemplate(std::span(full).first(cut))) << "cut at " << cut;
    }
    // More controls than the data holds (the count follows the three DWORDs).
    auto counted = full;
    counted[16] = 15;
    EXPECT_FALSE(ParseDialogTemplate(counted));
    counted[16] = 0xFF;
    counted[17] = 0xFF;
    EXPECT_FALSE(ParseDialogTemplate(counted));
    // Fewer is fine: the rest is ignored.
    counted[16] = 2;
    counted[17] = 0;
    auto two = ParseDialogTemplate(counted);
    ASSERT_TRUE(two);
    EXPECT_EQ(two->items.size(), 2u);
}
