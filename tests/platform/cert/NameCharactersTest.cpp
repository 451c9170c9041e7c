// Names whose characters draw nothing or cut a C string short, made by OpenSSL: every character
// shows, in the name strings, the attribute values and the extension texts.
#include <openssl/evp.h>
#include <openssl/x509v3.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "CertTestUtil.h"
#include "support/TestCertificate.h"

namespace {

using namespace std::string_literals;

constexpr DWORD kWindowDetail = 0x1A000003;  // X.500 keys, reversed, a line each, no quotes

// The attribute values as a caller reading C strings sees them.
std::vector<std::wstring> AttributeValues(const CERT_NAME_BLOB& name) {
    std::vector<std::wstring> values;
    for (const auto& [oid, value] : certtest::Attributes(name)) {
        values.push_back(value.c_str());
    }
    return values;
}

TEST(NameCharacters, ControlsAndInvisibleCharactersShowInNamesAndExtensionTexts) {
    const std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> key(EVP_EC_gen("P-256"),
                                                                  &EVP_PKEY_free);
    ASSERT_TRUE(key);
    const auto der = vktest::MakeCertificate(
        key.get(),
        {{"CN", "www.bank.example\0.evil.example"s},
         {"O", "\x1B]0;owned\x07"},
         {"OU", "\r\nCN=www.bank.example"},
         {"L", "del\x7F\x01\x1F\tend"},
         {"ST", "c1\xC2\x85\xC2\x9B"},                          // U+0085, U+009B
         {"street", "exe\xE2\x80\xAEtxt.scr\xF3\xA0\x81\x81"},  // right-to-left override, tag A
         {"title", "zero\xE2\x80\x8Bwidth\xEF\xBB\xBF"},        // U+200B, U+FEFF
         {"description",
          "Ж \xC2\xA0\xE2\x90\x80 \xF0\x9F\x94\x92 back\\slash"}},  // visible ones as they are
        {{NID_subject_alt_name, "DER:3010820E7777772E62616E6B002E6576696C"}});
    const auto context = certtest::Context(der);
    ASSERT_TRUE(context);
    const CERT_NAME_BLOB& subject = context->pCertInfo->Subject;

    const std::vector<std::wstring> values = {LR"(www.bank.example\x00.evil.example)",
                                              LR"(\x1B]0;owned\x07)",
                                              LR"(\x0D\x0ACN=www.bank.example)",
                                              LR"(del\x7F\x01\x1F)"
                                              L"\tend",
                                              LR"(c1\x85\x9B)",
                                              LR"(exe\u202Etxt.scr\U000E0041)",
                                              LR"(zero\u200Bwidth\uFEFF)",
                                              L"Ж \u00A0\u2400 \U0001F512 back\\slash"};
    EXPECT_EQ(AttributeValues(subject), values);
    // Quoting follows the stored characters: CR LF and ';' quote, the escapes do not.
    EXPECT_EQ(certtest::NameString(subject, CERT_SIMPLE_NAME_STR),
              values[0] + L", \"" + values[1] + L"\", \"" + values[2] + L"\", " + values[3] +
                  L", " + values[4] + L", " + values[5] + L", " + values[6] + L", " + values[7]);
    EXPECT_EQ(certtest::NameString(subject, kWindowDetail),
              L"Description=" + values[7] + L"\r\nT=" + values[6] + L"\r\nSTREET=" + values[5] +
                  L"\r\nS=" + values[4] + L"\r\nL=" + values[3] + L"\r\nOU=" + values[2] +
                  L"\r\nO=" + values[1] + L"\r\nCN=" + values[0]);

    const CERT_EXTENSION* san = certtest::FindExtension(context.get(), "2.5.29.17");
    ASSERT_TRUE(san);
    EXPECT_EQ(certtest::Format(*san, false), LR"(DNS Name=www.bank\x00.evil)");
}

}  // namespace
