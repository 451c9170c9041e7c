#include "platform/crypto/OpenSslErrors.h"

#include <openssl/err.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace vk::crypto {
namespace {

bool DebugOutput() {
    const char* value = std::getenv("VKCERT_DEBUG");
    return value != nullptr && std::strcmp(value, "1") == 0;
}

}  // namespace

unsigned long DrainOpenSslErrors(const char* step) {
    const bool print = DebugOutput();
    unsigned long first = 0;
    const char* file = nullptr;
    int line = 0;
    const char* data = nullptr;
    int flags = 0;
    while (const unsigned long code = ERR_get_error_all(&file, &line, nullptr, &data, &flags)) {
        if (first == 0) {
            first = code;
        }
        if (print) {
            char text[256];
            ERR_error_string_n(code, text, sizeof text);
            const bool hasData = (flags & ERR_TXT_STRING) != 0 && data != nullptr && *data != '\0';
            std::fprintf(stderr, "vkcert: %s: %s (%s:%d)%s%s\n", step, text, file ? file : "?",
                         line, hasData ? ": " : "", hasData ? data : "");
        }
    }
    return first;
}

}  // namespace vk::crypto
