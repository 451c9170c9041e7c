// The texts of the property views without a window (the rows' Russian captions are the token view
// test's), and the only test of the columns' weighted split. The Qt views are tested with them.
#include <gtest/gtest.h>

#include <climits>

#include "program/app/UiLanguage.h"
#include "program/ui/viewtext/ColumnWidths.h"
#include "program/ui/viewtext/ContainerViewText.h"
#include "program/ui/viewtext/KeyViewRows.h"
#include "program/ui/viewtext/TokenViewText.h"
#include "program/ui/viewtext/ViewTemplateText.h"
#include "res/resource.h"
#include "support/TempWorld.h"

namespace {

using namespace viewtext;

STokenRecord DemoRecord(BYTE type, BYTE policy) {
    STokenRecord record;
    record.label = L"Velkora Pro Demo";
    record.typeText = L"Velkora Pro 64K";
    record.tokenType = type;
    record.tokenId = 0x00C0FFEE;
    record.versionMajor = 2;
    record.versionMinor = 14;
    record.protocolNumber = 3;
    record.microprogramNumber = 200;
    record.freeMemory = 3000000000u;
    record.pinChangePolicy = policy;
    return record;
}

TEST(ViewText, TokenRowsAreSevenTypesZeroAndOneAddThePinPolicyAndHeadersFillTheirTemplates) {
    vktest::TempWorld world;
    STokenRecord record = DemoRecord(2, 0);
    auto rows = TokenViewRows(record);
    std::vector<std::pair<std::wstring, std::wstring>> texts;
    for (const auto& row : rows) {
        texts.emplace_back(row.caption, row.value);
    }
    EXPECT_EQ(texts, (std::vector<std::pair<std::wstring, std::wstring>>{
                         {L"Name", L"Velkora Pro Demo"},
                         {L"Type", L"Velkora Pro 64K"},
                         {L"ID (hex)", L"00C0FFEE"},
                         {L"Version", L"2.14"},
                         {L"Protocol #", L"3"},
                         {L"Microprogram #", L"200"},
                         {L"Free memory (bytes)", L"3000000000"}}));
    EXPECT_EQ(record.policyText, L"");

    const std::pair<BYTE, const wchar_t*> policies[] = {
        {0, L"User & Admin"}, {1, L"Admin"}, {2, L"User"}, {3, L""}, {255, L""}};
    for (BYTE type : {BYTE{0}, BYTE{1}}) {
        for (const auto& [policy, text] : policies) {
            record = DemoRecord(type, policy);
            rows = TokenViewRows(record);
            ASSERT_EQ(rows.size(), 8u);
            EXPECT_EQ(rows[7].caption, L"Users that can change User PIN:");
            EXPECT_EQ(rows[7].value, text) << int{type} << " " << int{policy};
            EXPECT_EQ(record.policyText, text);
        }
    }

    const std::wstring templ = ViewTemplateText(IDD_TOKEN_VIEW, IDC_TOKEN_HEADER);
    EXPECT_EQ(templ, L"Token %s<%s> properties");
    // Labels and names are shown as they are, directives included.
    EXPECT_EQ(TokenViewHeader(templ, L"50% %s"), L"Token <50% %s> properties");
    const std::wstring container = ViewTemplateText(IDD_CONTAINER_VIEW, IDC_CONTAINER_HEADER);
    EXPECT_EQ(ContainerViewHeader(container, L"%d"), L"%d   Container");
    EXPECT_EQ(ViewTemplateText(IDD_KEY_VIEW, 4242), L"");
    EXPECT_EQ(ViewTemplateText(4242, IDC_VIEW_HEADER), L"");

    SetUiLanguage(LANG_RUSSIAN_ID);
    const std::wstring russian = ViewTemplateText(IDD_TOKEN_VIEW, IDC_TOKEN_HEADER);
    EXPECT_NE(russian, templ);
    EXPECT_NE(TokenViewHeader(russian, L"Demo").find(L"<Demo>"), std::wstring::npos);
    SetUiLanguage(LANG_NEUTRAL_DEFAULT_ID);
}

TEST(KeyViewRows, PermissionsNameTheSetBitsInFixedOrderUnderEnglishCaptions) {
    EXPECT_EQ(PermissionsText(0x3B), L"3b DECRYPT, ENCRYPT, MAC, READ, WRITE");
    EXPECT_EQ(PermissionsText(0x1FF), L"1ff ARCHIVE, DECRYPT, ENCRYPT, EXPORT, MAC, READ, WRITE");
    // Bits without a name show only in the number.
    EXPECT_EQ(PermissionsText(0xC0), L"c0 ");

    const auto length = MakeKeyLengthRow(2048);
    EXPECT_EQ(length->GetName(), L"Key Length");
    EXPECT_EQ(length->GetValue(), L"2048");
    EXPECT_EQ(length->GetDetail(), L"2048");
    EXPECT_EQ(length->GetIconId(), static_cast<DWORD>(IDI_ROW_TEXT));
    const auto permissions = MakePermissionsRow(0x104);
    EXPECT_EQ(permissions->GetName(), L"Permissions");
    EXPECT_EQ(permissions->GetValue(), L"104 ARCHIVE, EXPORT");
}

TEST(ColumnWidths, SplitByWeightsRoundedToNearestWithinTheWidth) {
    const struct {
        int width, first, second, wantFirst, wantSecond;
    } cases[] = {
        {300, 37, 63, 111, 189},
        {401, 30, 70, 120, 281},
        {405, 30, 70, 122, 283},
        {1, 37, 63, 0, 1},
        {-5, 37, 63, 0, 0},
        {100, 0, 0, 0, 100},
        {100, -1, 5, 0, 100},
        {100, INT_MAX, INT_MAX, 50, 50},
        {INT_MAX, 37, 63, 794568949, INT_MAX - 794568949},
    };
    for (const auto& c : cases) {
        const SColumnWidths w = SplitColumnWidths(c.width, c.first, c.second);
        EXPECT_EQ(std::make_pair(w.first, w.second), std::make_pair(c.wantFirst, c.wantSecond))
            << c.width << " " << c.first << ":" << c.second;
    }
}

}  // namespace
