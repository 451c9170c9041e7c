#include "platform/cert/pkcs12/PfxPassword.h"

#include <cwchar>

#include "platform/text/Utf.h"

namespace vk::pkcs12 {
namespace {

using vk::crypto::SecureString;

// UTF-8 built straight into wiped storage; code points that UTF-8 cannot
// carry become U+FFFD.
SecureString ToUtf8(const wchar_t* text) {
    SecureString out;
    out.reserve(std::wcslen(text) * 4 + 1);
    for (const wchar_t* p = text; *p != L'\0'; ++p) {
        AppendUtf8(out, static_cast<char32_t>(*p));
    }
    return out;
}

}  // namespace

std::vector<PfxPassword> PfxPassword::FormsOf(const wchar_t* password) {
    std::vector<PfxPassword> forms;
    if (password == nullptr || password[0] == L'\0') {
        forms.push_back(PfxPassword(SecureString(), false));
        forms.push_back(PfxPassword(SecureString(), true));
        return forms;
    }
    SecureString utf8 = ToUtf8(password);
    SecureString bytewise;
    bytewise.reserve(utf8.size() * 2 + 1);
    for (char c : utf8) {
        AppendUtf8(bytewise, static_cast<unsigned char>(c));
    }
    const bool differs = bytewise != utf8;
    forms.push_back(PfxPassword(std::move(utf8), false));
    if (differs) {
        forms.push_back(PfxPassword(std::move(bytewise), false));
    }
    return forms;
}

PfxPassword PfxPassword::ForWriting(const wchar_t* password) {
    return PfxPassword(password == nullptr ? SecureString() : ToUtf8(password), false);
}

}  // namespace vk::pkcs12
