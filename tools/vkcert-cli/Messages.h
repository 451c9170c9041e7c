// The language of vkcert-cli's texts: Russian when the locale of messages
// (LC_ALL, LC_MESSAGES, LANG, in that order) names it, English otherwise.
#pragma once

#include <string>

namespace vkcli {

bool UseRussian();
// The English or the Russian text, as the locale says.
const char* Text(const char* english, const char* russian);
// Prints "vkcert-cli: message" as one line on standard error.
void PrintError(const std::string& message);

}  // namespace vkcli
