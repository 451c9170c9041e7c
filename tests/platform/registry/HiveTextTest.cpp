// The hive's text form: what the parser accepts and refuses, line by line, and
// that writing and reading give back the same tree. Files and processes are in
// the other registry tests; arbitrary input is left to the fuzz target.
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>

#include "RegTestUtil.h"
#include "platform/registry/HiveText.h"

namespace {
const wchar_t* const kHive = L"HKEY_CURRENT_USER";
const std::string kHead = "Windows Registry Editor Version 5.00\n\n";
}  // namespace

TEST(HiveText, ReadsEveryFormAndWritesItBackTheSame) {
    const std::string text = kHead +
                             "[HKEY_CURRENT_USER\\A]\n"
                             "@=\"default\"\n"
                             "\"q\\\"uote\\\\d\"=\"x\\\\y\\\"z\"\n"
                             "\"eq=hex\"=hex:01,02,\\\n"
                             "  03\n"
                             "\"d\"=dword:0000002a\n"
                             "\"t\"=hex(7):61,00,00,00,00,00,00,00\n\n";
    const auto parsed = ParseHive(text, kHive);
    EXPECT_FALSE(parsed.damaged);
    const HiveKey* a = parsed.root.FindSubkey(L"a");
    ASSERT_NE(a, nullptr);
    ASSERT_EQ(a->Values().size(), 5u);
    EXPECT_EQ(a->FindValue(L"")->data, regtest::SzBytes(L"default"));
    EXPECT_EQ(a->FindValue(L"q\"uote\\d")->data, regtest::SzBytes(L"x\\y\"z"));
    EXPECT_EQ(a->FindValue(L"eq=hex")->type, 3u);
    EXPECT_EQ(a->FindValue(L"eq=hex")->data, (std::vector<BYTE>{1, 2, 3}));
    EXPECT_EQ(a->FindValue(L"d")->data, (std::vector<BYTE>{0x2a, 0, 0, 0}));
    EXPECT_EQ(a->FindValue(L"T")->type, 7u);

    EXPECT_EQ(ParseHive(SerializeHive(parsed.root, kHive), kHive).root, parsed.root);

    // Long hex lists continue on the next line, with LF or CR LF line ends.
    HiveKey root(kHive);
    std::vector<BYTE> big(1000);
    std::generate(big.begin(), big.end(), [i = 0]() mutable { return BYTE(i++ * 31); });
    root.CreateSubkey(L"K").SetValue(L"a name with \"=\\\" in it", 3, big);
    const std::string written = SerializeHive(root, kHive);
    const std::string crlf = std::regex_replace(written, std::regex("\n"), "\r\n");
    EXPECT_FALSE(std::regex_search(written, std::regex(".{101}"))) << "lines of 100 at most";
    EXPECT_FALSE(ParseHive(written, kHive).damaged);
    EXPECT_EQ(ParseHive(written, kHive).root, root);
    EXPECT_EQ(ParseHive(crlf, kHive).root, root);
}

TEST(HiveText, BadLinesAreSkippedAndCounted) {
    const std::pair<const char*, const char*> cases[] = {
        {"\"v\"=hex:1g", "not hex"},
        {"\"v\"=hex:123", "three digits"},
        {"\"v\"=hex:01,,02", "empty byte"},
        {"\"v\"=dword:123456789", "nine digits"},
        {"\"v\"=dword:", "no digits"},
        {"\"v\"=\"open", "unterminated text"},
        {"\"v\"=\"a\\n\"", "unknown escape"},
        {"\"v\"=\"a\" extra", "text after the value"},
        {"\"v\"=-", "deletion"},
        {"\"v\"=hex(zz):01", "bad type"},
        {"\"v\"", "no data"},
        {"v=\"x\"", "unquoted name"},
        {"\"a\tb\"=\"x\"", "control character in a name"},
        {"\"v\"=\"\xC3\x28\"", "invalid UTF-8"},
        {"plain words", "no form at all"},
    };
    for (const auto& [line, why] : cases) {
        SCOPED_TRACE(why);
        const auto parsed = ParseHive(
            kHead + "[HKEY_CURRENT_USER\\K]\n\"good\"=\"1\"\n" + line + "\n\"after\"=\"2\"\n",
            kHive);
        EXPECT_TRUE(parsed.damaged);
        EXPECT_EQ(parsed.badLines, 1u);
        ASSERT_NE(parsed.root.FindSubkey(L"K"), nullptr);
        EXPECT_EQ(parsed.root.FindSubkey(L"K")->Values().size(), 2u) << "the good lines are kept";
    }
}

TEST(HiveText, BadSectionsDropTheirValues) {
    const char* sections[] = {
        "[HKEY_LOCAL_MACHINE\\K]",  // another hive
        "[HKEY_CURRENT_USER\\K\\]", "[HKEY_CURRENT_USER\\\\K]",
        "[HKEY_CURRENT_USER\\K",    "[-HKEY_CURRENT_USER\\K]",
    };
    for (const char* section : sections) {
        SCOPED_TRACE(section);
        const auto parsed = ParseHive(
            kHead + "[HKEY_CURRENT_USER\\Ok]\n\"a\"=\"1\"\n" + section + "\n\"b\"=\"2\"\n", kHive);
        EXPECT_TRUE(parsed.damaged);
        EXPECT_EQ(parsed.badLines, 2u);
        ASSERT_EQ(parsed.root.Subkeys().size(), 1u);
        EXPECT_EQ(parsed.root.FindSubkey(L"Ok")->Values().size(), 1u);
    }
}

TEST(HiveText, HeaderCommentsBomAndRepeats) {
    EXPECT_FALSE(ParseHive("", kHive).damaged);
    EXPECT_TRUE(ParseHive("REGEDIT4\n", kHive).damaged);
    const auto parsed = ParseHive("\xEF\xBB\xBF" + kHead +
                                      "; a comment\n"
                                      "[hkey_current_user\\K]\n\"v\"=\"1\"\n"
                                      "[HKEY_CURRENT_USER\\k]\n\"V\"=\"2\"\n\"w\"=\"3\"\n",
                                  kHive);
    EXPECT_FALSE(parsed.damaged);
    ASSERT_EQ(parsed.root.Subkeys().size(), 1u);
    const HiveKey& k = parsed.root.Subkeys()[0];
    EXPECT_EQ(k.Name(), L"K") << "the first spelling stays";
    ASSERT_EQ(k.Values().size(), 2u);
    EXPECT_EQ(k.Values()[0].name, L"v");
    EXPECT_EQ(k.Values()[0].data, regtest::SzBytes(L"2")) << "a later line wins";
}
