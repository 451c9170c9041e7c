// A PFX password in the forms that OpenSSL's PKCS #12 calls take. The file
// holds the password as a BMPString; the forms tried are, in order:
// - a non-empty password: its UTF-8 text (OpenSSL makes the BMPString of it),
//   then, when it differs, the text whose characters are the UTF-8 bytes one
//   by one, which is how older tools turned a password into a BMPString;
// - the empty password: the empty string (a BMPString of the terminator
//   alone) and no password at all (an empty BMPString).
// Every copy is wiped when it goes.
#pragma once

#include <vector>

#include "platform/crypto/SecureBytes.h"

namespace vk::pkcs12 {

class PfxPassword {
public:
    static std::vector<PfxPassword> FormsOf(const wchar_t* password);
    // The form used for writing files.
    static PfxPassword ForWriting(const wchar_t* password);

    const char* Data() const { return m_none ? nullptr : m_text.c_str(); }
    int Length() const { return m_none ? 0 : static_cast<int>(m_text.size()); }

private:
    PfxPassword(vk::crypto::SecureString text, bool none) : m_text(std::move(text)), m_none(none) {}
    vk::crypto::SecureString m_text;
    bool m_none;
};

}  // namespace vk::pkcs12
