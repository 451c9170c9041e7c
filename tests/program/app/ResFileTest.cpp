// The .res reader: entries by type, name and language, named types, its own copy, damaged images.
// Lookup by language is LangResourceTest's, arbitrary input the res_reader fuzz target's.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "LangTestSupport.h"
#include "program/app/ResFile.h"

namespace {

std::vector<BYTE> Image() {
    const auto bytes = LangTestResources();
    return {bytes.begin(), bytes.end()};
}

void PutDword(std::vector<BYTE>& image, std::size_t pos, DWORD value) {
    for (int i = 0; i < 4; ++i) {
        image[pos + i] = static_cast<BYTE>(value >> (8 * i));
    }
}

// Offset of the first record after the leading empty one.
constexpr std::size_t kFirstRecord = 32;

}  // namespace

TEST(ResFile, FindsEntriesByTypeNameAndLanguageKeepsItsOwnCopyDamagedHeadersFailCleanly) {
    CResFile file;
    ASSERT_TRUE(file.Load(LangTestResources())) << file.Error();
    // The empty leading record is not an entry.
    for (const auto& e : file.Entries()) {
        EXPECT_FALSE(e.type.IsId() && e.type.Id() == 0);
    }
    const CResEntry* en = file.Find(RT_MENU, 128, 1024);
    const CResEntry* ru = file.Find(RT_MENU, 128, 1049);
    ASSERT_NE(en, nullptr);
    ASSERT_NE(ru, nullptr);
    EXPECT_NE(en->data.data(), ru->data.data());
    EXPECT_EQ(file.Find(RT_MENU, 128, 1033), nullptr);
    EXPECT_EQ(file.Find(RT_DIALOG, 128, 1024), nullptr);
    EXPECT_EQ(file.Find(RT_MENU, 130, 1033)->language, 1033);
    // The lowest language of those that have it.
    EXPECT_EQ(file.FindAnyLanguage(RT_MENU, 128)->language, 1024);
    EXPECT_EQ(file.FindAnyLanguage(RT_MENU, 131)->language, 1031);
    EXPECT_EQ(file.FindAnyLanguage(RT_MENU, 999), nullptr);
    // Named types match without case, and a name is not an id.
    const CResEntry* help = file.Find(CResName(L"binary"), 245, 1024);
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(help->type.Text(), L"BINARY");
    ASSERT_EQ(help->data.size(), 4u);
    EXPECT_EQ(std::memcmp(help->data.data(), "help", 4), 0);
    EXPECT_EQ(file.Find(CResName(L"245"), 245, 1024), nullptr);

    std::vector<std::vector<BYTE>> damaged;
    // Header size below the fixed fields, not a multiple of four, past the end; data size past
    // the end; a 32-byte header whose type name fills it without a terminating zero.
    for (const auto& [at, value] : {std::pair{kFirstRecord + 4, 24u},
                                    {kFirstRecord + 4, 46u},
                                    {kFirstRecord + 4, 0x7FFFFFF0u},
                                    {kFirstRecord, 0xFFFFFFF0u},
                                    {kFirstRecord + 4, 32u}}) {
        damaged.push_back(Image());
        PutDword(damaged.back(), at, value);
    }
    for (std::size_t i = kFirstRecord + 8; i < kFirstRecord + 32; i += 2) {
        damaged.back()[i] = 'A';
        damaged.back()[i + 1] = 0;
    }
    // A lone byte after the last record.
    damaged.push_back(Image());
    damaged.back().push_back(0);
    for (std::size_t i = 0; i < damaged.size(); ++i) {
        CResFile file;
        EXPECT_FALSE(file.Load(damaged[i])) << "damage " << i;
        EXPECT_TRUE(file.Entries().empty()) << "damage " << i;
        EXPECT_FALSE(file.Error().empty()) << "damage " << i;
    }

    auto image = Image();
    // The first two records' headers: the leading empty record, then a
    // header of at least 32 bytes at offset 32.
    for (std::size_t cut = 1; cut < 64; ++cut) {
        if (cut == kFirstRecord) {
            continue;  // just the empty record: a valid, empty file
        }
        CResFile file;
        EXPECT_FALSE(file.Load(std::span(image).first(cut))) << "cut at " << cut;
    }

    // It keeps its own copy, and a reload replaces the entries.
    ASSERT_TRUE(file.Load(image));
    const auto* menu = file.Find(RT_MENU, 128, 1024);
    ASSERT_NE(menu, nullptr);
    const std::vector<BYTE> before(menu->data.begin(), menu->data.end());
    std::fill(image.begin(), image.end(), 0xEE);
    image.clear();
    image.shrink_to_fit();
    EXPECT_EQ(std::vector<BYTE>(menu->data.begin(), menu->data.end()), before);

    EXPECT_FALSE(file.Load(std::vector<BYTE>(40, 0xFF)));
    EXPECT_EQ(file.Find(RT_MENU, 128, 1024), nullptr);
    EXPECT_TRUE(file.Load({}));  // an empty image: no entries
    EXPECT_TRUE(file.Entries().empty());
}
