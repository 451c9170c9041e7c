// The user's default language, from the locale the environment names
// (LC_ALL, then LC_MESSAGES, then LANG; the first one set and not empty).
#pragma once

#include <string_view>

#include "program/app/LangIds.h"

// Russian locales give 1049, English ones the identifier of their country
// (en_US 1033, en_GB 2057, ...), plain "en", "C" and "POSIX" 1033, other
// languages their primary language with the default sublanguage, and a
// language this table does not know 1024.
LANGID LangIdFromLocaleName(std::string_view locale);

LANGID GetUserDefaultUILanguage();
