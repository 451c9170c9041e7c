// Error descriptions: every code declared in WinError.h has its own text in
// both languages, the language is chosen by the caller, unknown codes get the
// fallback. The texts themselves are not restated here.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <vector>

#include "platform/errors/ErrorDescription.h"
#include "platform/errors/WinError.h"
#include "platform/text/Utf.h"

namespace {

using Declared = std::pair<std::string, DWORD>;

// Every "inline constexpr DWORD NAME = VALUE;" of the header, except the wait
// results (WAIT_OBJECT_0, WAIT_FAILED, ...), which are not errors.
std::vector<Declared> DeclaredCodes() {
    std::ifstream in(VK_SOURCE_DIR "/src/platform/errors/WinError.h");
    const std::string s(std::istreambuf_iterator<char>(in), {});
    const std::regex decl(
        R"(inline\s+constexpr\s+DWORD\s+(\w+)\s*=\s*(0[xX][0-9A-Fa-f]+|\d+)\s*;)");
    std::vector<Declared> out;
    for (std::sregex_iterator it(s.begin(), s.end(), decl), end; it != end; ++it) {
        const std::string name = (*it)[1];
        if (name.starts_with("WAIT_")) {
            continue;
        }
        out.push_back({name, static_cast<DWORD>(std::stoul((*it)[2], nullptr, 0))});
    }
    return out;
}

bool HasCyrillic(const std::wstring& s) {
    return std::any_of(s.begin(), s.end(), [](wchar_t c) { return c >= 0x400 && c <= 0x4FF; });
}

}  // namespace

TEST(ErrorDescription, EveryDeclaredCodeHasTextInBothLanguages) {
    const auto codes = DeclaredCodes();
    ASSERT_GT(codes.size(), 100u) << "the header could not be read";
    for (const auto& [name, code] : codes) {
        char hex[16];
        std::snprintf(hex, sizeof hex, "0x%08X", code);
        EXPECT_TRUE(HasSystemErrorDescription(code))
            << name << " (" << hex
            << ") has no description: add a line to kEntries in ErrorDescription.cpp";
        const std::wstring en = SystemErrorDescription(code, 1033);
        const std::wstring ru = SystemErrorDescription(code, 1049);
        EXPECT_TRUE(!en.empty() && en.back() == L'.') << name << ": " << WideToUtf8(en);
        EXPECT_TRUE(!ru.empty() && ru.back() == L'.') << name << ": " << WideToUtf8(ru);
        EXPECT_FALSE(HasCyrillic(en)) << name << " English text: " << WideToUtf8(en);
        EXPECT_TRUE(HasCyrillic(ru)) << name << " Russian text: " << WideToUtf8(ru);
        EXPECT_EQ(en.find(L"Unknown error"), std::wstring::npos) << name;
    }
}

TEST(ErrorDescription, LanguageIsTheCallersChoiceAndUnknownCodesGetTheFallback) {
    const std::wstring keyset = L"Keyset does not exist.";
    for (WORD lang : {0, 1024, 1033, 1058}) {  // any other language, Ukrainian too, is English
        EXPECT_EQ(SystemErrorDescription(NTE_BAD_KEYSET, lang), keyset) << lang;
    }
    EXPECT_EQ(WideToUtf8(SystemErrorDescription(NTE_BAD_KEYSET, 1049)),
              "Набор ключей не существует.");
    EXPECT_EQ(SystemErrorDescription(NTE_BAD_KEYSET, 0x0819),
              SystemErrorDescription(NTE_BAD_KEYSET, 1049))
        << "any sublanguage of Russian is Russian";
    EXPECT_FALSE(HasSystemErrorDescription(0xDEADBEEF));
    EXPECT_EQ(SystemErrorDescription(0xDEADBEEF, 1033), L"Unknown error 0xDEADBEEF.");
    EXPECT_EQ(SystemErrorDescription(7, 1033), L"Unknown error 0x00000007.");
    EXPECT_EQ(WideToUtf8(SystemErrorDescription(0xDEADBEEF, 1049)),
              "Неизвестная ошибка 0xDEADBEEF.");
}
