// The texts of the property views without a window: the token view's rows and
// header in both languages, the container view's header, the key view's
// permission and key length rows and the column split. The Qt views that show
// them are tested with the views.
#include <gtest/gtest.h>

#include <climits>

#include "program/app/LangResource.h"
#include "program/app/UiLanguage.h"
#include "support/TempWorld.h"
#include "program/ui/viewtext/ColumnWidths.h"
#include "program/ui/viewtext/ContainerViewText.h"
#include "program/ui/viewtext/KeyViewRows.h"
#include "program/ui/viewtext/TokenViewText.h"
#include "program/ui/viewtext/ViewIds.h"
#include "program/ui/viewtext/ViewTemplateText.h"

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

class ViewText : public ::testing::Test {
protected:
    void TearDown() override { SetUiLanguage(LANG_NEUTRAL_DEFAULT_ID); }
    vktest::TempWorld m_world;
};

TEST_F(ViewText, TokenOfTypeTwoHasSevenRows) {
    STokenRecord record = DemoRecord(2, 0);
    const auto rows = TokenViewRows(record);
    ASSERT_EQ(rows.size(), 7u);
    const std::pair<const wchar_t*, const wchar_t*> expected[] = {
        {L"Name", L"Velkora Pro Demo"},
        {L"Type", L"Velkora Pro 64K"},
        {L"ID (hex)", L"00C0FFEE"},
        {L"Version", L"2.14"},
        {L"Protocol #", L"3"},
        {L"Microprogram #", L"200"},
        {L"Free memory (bytes)", L"3000000000"}};
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].caption, expected[i].first) << i;
        EXPECT_EQ(rows[i].value, expected[i].second) << i;
    }
    EXPECT_EQ(record.policyText, L"");
}

TEST_F(ViewText, TokensOfTypeZeroAndOneShowThePinPolicy) {
    const std::pair<BYTE, const wchar_t*> policies[] = {
        {0, L"User & Admin"}, {1, L"Admin"}, {2, L"User"}, {3, L""}, {255, L""}};
    for (BYTE type : {BYTE{0}, BYTE{1}}) {
        for (const auto& [policy, text] : policies) {
            STokenRecord record = DemoRecord(type, policy);
            const auto rows = TokenViewRows(record);
            ASSERT_EQ(rows.size(), 8u);
            EXPECT_EQ(rows[7].caption, L"Users that can change User PIN:");
            EXPECT_EQ(rows[7].value, text) << int{type} << " " << int{policy};
            EXPECT_EQ(record.policyText, text);
        }
    }
}

TEST_F(ViewText, TokenRowsFollowTheInterfaceLanguage) {
    SetUiLanguage(LANG_RUSSIAN_ID);
    STokenRecord record = DemoRecord(1, 2);
    const auto rows = TokenViewRows(record);
    ASSERT_EQ(rows.size(), 8u);
    const UINT ids[] = {157, 158, 159, 162, 163, 164, 165, 232};
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].caption, LoadLangString(ids[i], LANG_RUSSIAN_ID)) << i;
        EXPECT_NE(rows[i].caption, LoadLangString(ids[i], LANG_NEUTRAL_DEFAULT_ID)) << i;
    }
    EXPECT_EQ(rows[7].value, LoadLangString(177, LANG_RUSSIAN_ID));
    EXPECT_EQ(rows[2].value, L"00C0FFEE");
}

TEST_F(ViewText, TokenHeaderPutsTheLabelBetweenAngleBrackets) {
    const std::wstring templ = ViewTemplateText(kTokenViewDialog, kTokenHeaderControl);
    EXPECT_EQ(templ, L"Token %s<%s> properties");
    EXPECT_EQ(TokenViewHeader(templ, L"Velkora Mini Demo"),
              L"Token <Velkora Mini Demo> properties");
    // A label is shown as it is, directives included.
    EXPECT_EQ(TokenViewHeader(templ, L"50% %s"), L"Token <50% %s> properties");
    EXPECT_EQ(ViewTemplateText(kTokenViewDialog, kNoTokenTextControl), L"No Velkora's detected.");

    SetUiLanguage(LANG_RUSSIAN_ID);
    const std::wstring russian = ViewTemplateText(kTokenViewDialog, kTokenHeaderControl);
    EXPECT_NE(russian, templ);
    EXPECT_NE(TokenViewHeader(russian, L"Demo").find(L"<Demo>"), std::wstring::npos);
}

TEST_F(ViewText, ContainerHeaderIsTheNameAndTheWordContainer) {
    const std::wstring templ = ViewTemplateText(kContainerViewDialog, kContainerHeaderControl);
    EXPECT_EQ(ContainerViewHeader(templ, L"C1"), L"C1   Container");
    EXPECT_EQ(ContainerViewHeader(templ, L"%d"), L"%d   Container");
    EXPECT_EQ(ViewTemplateText(kCertificateViewDialog, kCertOrKeyHeaderControl),
              L"\nCertificate to view");
    EXPECT_EQ(ViewTemplateText(kKeyViewDialog, kCertOrKeyHeaderControl), L"\nKey Properties");
    EXPECT_EQ(ViewTemplateText(kKeyViewDialog, 4242), L"");
    EXPECT_EQ(ViewTemplateText(4242, kCertOrKeyHeaderControl), L"");
}

TEST(KeyViewRows, PermissionsNameTheSetBitsInFixedOrder) {
    EXPECT_EQ(PermissionsText(0x3B), L"3b DECRYPT, ENCRYPT, MAC, READ, WRITE");
    EXPECT_EQ(PermissionsText(0x104), L"104 ARCHIVE, EXPORT");
    EXPECT_EQ(PermissionsText(0x1FF), L"1ff ARCHIVE, DECRYPT, ENCRYPT, EXPORT, MAC, READ, WRITE");
    EXPECT_EQ(PermissionsText(0x20), L"20 MAC");
    // Bits without a name show only in the number.
    EXPECT_EQ(PermissionsText(0xC0), L"c0 ");
    EXPECT_EQ(PermissionsText(0), L"0 ");
    EXPECT_EQ(PermissionsText(0xFFFFFFFF).substr(0, 17), L"ffffffff ARCHIVE,");
}

TEST(KeyViewRows, FixedEnglishCaptions) {
    const auto length = MakeKeyLengthRow(2048);
    EXPECT_EQ(length->GetName(), L"Key Length");
    EXPECT_EQ(length->GetValue(), L"2048");
    EXPECT_EQ(length->GetDetail(), L"2048");
    EXPECT_EQ(length->GetIconId(), 170u);
    const auto permissions = MakePermissionsRow(0x104);
    EXPECT_EQ(permissions->GetName(), L"Permissions");
    EXPECT_EQ(permissions->GetValue(), L"104 ARCHIVE, EXPORT");
    EXPECT_EQ(permissions->GetDetail(), L"104 ARCHIVE, EXPORT");
}

TEST(ColumnWidths, SplitByWeightsRoundedToNearest) {
    auto w = SplitColumnWidths(300, 37, 63);  // 111.0
    EXPECT_EQ(w.first, 111);
    EXPECT_EQ(w.second, 189);
    w = SplitColumnWidths(401, 30, 70);  // 120.3
    EXPECT_EQ(w.first, 120);
    EXPECT_EQ(w.second, 281);
    w = SplitColumnWidths(405, 30, 70);  // 121.5 rounds up
    EXPECT_EQ(w.first, 122);
    EXPECT_EQ(w.second, 283);
    w = SplitColumnWidths(1, 37, 63);  // 0.37
    EXPECT_EQ(w.first, 0);
    EXPECT_EQ(w.second, 1);
}

TEST(ColumnWidths, OddInputsStayWithinTheWidth) {
    auto w = SplitColumnWidths(INT_MAX, 37, 63);
    EXPECT_EQ(static_cast<long long>(w.first) + w.second, INT_MAX);
    EXPECT_EQ(w.first, 794568949);
    w = SplitColumnWidths(-5, 37, 63);
    EXPECT_EQ(w.first, 0);
    EXPECT_EQ(w.second, 0);
    w = SplitColumnWidths(100, 0, 0);
    EXPECT_EQ(w.first, 0);
    EXPECT_EQ(w.second, 100);
    w = SplitColumnWidths(100, -1, 5);
    EXPECT_EQ(w.first, 0);
    EXPECT_EQ(w.second, 100);
    w = SplitColumnWidths(100, INT_MAX, INT_MAX);
    EXPECT_EQ(w.first, 50);
    EXPECT_EQ(w.second, 50);
}

}  // namespace
