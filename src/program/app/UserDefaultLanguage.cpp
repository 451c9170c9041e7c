#include "program/app/UserDefaultLanguage.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <string>

namespace {

struct Named {
    std::string_view name;
    WORD id;
};

// ISO 639-1 codes and the primary language identifiers of the platform.
constexpr Named kPrimary[] = {
    {"ar", 0x01}, {"bg", 0x02}, {"ca", 0x03}, {"zh", 0x04}, {"cs", 0x05}, {"da", 0x06},
    {"de", 0x07}, {"el", 0x08}, {"en", 0x09}, {"es", 0x0A}, {"fi", 0x0B}, {"fr", 0x0C},
    {"he", 0x0D}, {"hu", 0x0E}, {"is", 0x0F}, {"it", 0x10}, {"ja", 0x11}, {"ko", 0x12},
    {"nl", 0x13}, {"nb", 0x14}, {"no", 0x14}, {"pl", 0x15}, {"pt", 0x16}, {"ro", 0x18},
    {"ru", 0x19}, {"hr", 0x1A}, {"sk", 0x1B}, {"sq", 0x1C}, {"sv", 0x1D}, {"th", 0x1E},
    {"tr", 0x1F}, {"id", 0x21}, {"uk", 0x22}, {"be", 0x23}, {"sl", 0x24}, {"et", 0x25},
    {"lv", 0x26}, {"lt", 0x27}, {"fa", 0x29}, {"vi", 0x2A}, {"hy", 0x2B}, {"az", 0x2C},
    {"mk", 0x2F}, {"ka", 0x37}, {"hi", 0x39}, {"kk", 0x3F}, {"ky", 0x40}, {"uz", 0x43},
    {"tt", 0x44}, {"mn", 0x50}, {"sr", 0x1A},
};

// English sublanguages by country.
constexpr Named kEnglish[] = {
    {"US", 0x01}, {"GB", 0x02}, {"AU", 0x03}, {"CA", 0x04}, {"NZ", 0x05},
    {"IE", 0x06}, {"ZA", 0x07}, {"JM", 0x08}, {"BZ", 0x0A}, {"TT", 0x0B},
    {"ZW", 0x0C}, {"PH", 0x0D}, {"IN", 0x10}, {"MY", 0x11}, {"SG", 0x12},
};

template <std::size_t N>
const Named* Lookup(const Named (&table)[N], std::string_view name) {
    const auto* it = std::find_if(std::begin(table), std::end(table),
                                  [&](const Named& n) { return n.name == name; });
    return it == std::end(table) ? nullptr : it;
}

std::string Lower(std::string_view s) {
    std::string out(s);
    std::ranges::transform(out, out.begin(), [](unsigned char c) { return std::tolower(c); });
    return out;
}

std::string Upper(std::string_view s) {
    std::string out(s);
    std::ranges::transform(out, out.begin(), [](unsigned char c) { return std::toupper(c); });
    return out;
}

}  // namespace

LANGID LangIdFromLocaleName(std::string_view locale) {
    // language[_territory][.codeset][@modifier]
    locale = locale.substr(0, locale.find_first_of(".@"));
    if (locale.empty() || locale == "C" || locale == "POSIX") {
        return LANG_ENGLISH_US_ID;
    }
    const auto sep = locale.find_first_of("_-");
    const std::string language = Lower(locale.substr(0, sep));
    const std::string territory =
        sep == std::string_view::npos ? "" : Upper(locale.substr(sep + 1));
    const Named* primary = Lookup(kPrimary, language);
    if (!primary) {
        return LANG_NEUTRAL_DEFAULT_ID;
    }
    if (primary->id == PrimaryLangId(LANG_RUSSIAN_ID)) {
        return LANG_RUSSIAN_ID;
    }
    if (primary->id == 0x09) {
        const Named* english = territory.empty() ? nullptr : Lookup(kEnglish, territory);
        return MakeLangId(0x09, english ? english->id : 0x01);
    }
    return MakeLangId(primary->id, 0x01);
}

LANGID GetUserDefaultUILanguage() {
    for (const char* var : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(var);
        if (value && *value) {
            return LangIdFromLocaleName(value);
        }
    }
    return LANG_ENGLISH_US_ID;
}
