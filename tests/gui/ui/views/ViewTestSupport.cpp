// The demo data of the property view tests.
#include "ViewTestSupport.h"

#include <openssl/obj_mac.h>
#include <openssl/rsa.h>

#include <stdexcept>

#include "platform/crypto/KeyBlob.h"
#include "support/TestCertificate.h"

namespace viewtest {

STokenRecord DemoProRecord() {
    STokenRecord r;
    r.present = true;
    r.label = L"Velkora Pro Demo";
    r.typeText = L"Velkora Pro 64K";
    r.tokenType = 1;
    r.tokenId = 0x1A2B3C4D;
    r.versionMajor = 3;
    r.versionMinor = 1;
    r.protocolNumber = 2;
    r.microprogramNumber = 7;
    r.freeMemory = 41216;
    r.pinChangePolicy = 0;
    return r;
}

const DemoKey& Demo2048() {
    static const DemoKey demo = [] {
        vk::crypto::EvpPkeyPtr key(EVP_RSA_gen(2048u));
        const auto blob = vk::crypto::RsaToPublicKeyBlob(key.get(), CALG_RSA_KEYX);
        if (!blob) {
            throw std::runtime_error("public key blob");
        }
        // Four extensions and a Cyrillic common name.
        const vktest::Subject subject = {
            {"C", "RU"},
            {"O", "Orvel"},
            {"CN", "\u0418\u0432\u0430\u043d\u043e\u0432 \u0418\u0432\u0430\u043d"},
            {"emailAddress", "ivanov@orvel.example"}};
        const vktest::Extensions extensions = {
            {NID_basic_constraints, "critical,CA:FALSE"},
            {NID_key_usage, "critical,digitalSignature,keyEncipherment"},
            {NID_ext_key_usage, "clientAuth,emailProtection"},
            {NID_subject_key_identifier, "hash"}};
        return DemoKey{*blob, vktest::MakeCertificate(key.get(), subject, extensions, 0x20260115)};
    }();
    return demo;
}

}  // namespace viewtest
