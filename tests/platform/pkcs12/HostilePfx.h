// PFX files that ask for much work, made from a file of openssl: shared by the bounds test and
// its benchmark.
#pragma once

#include <openssl/pkcs12.h>

#include <vector>

namespace hostilepfx {

inline std::vector<unsigned char> Encode(PKCS12* p12) {
    std::vector<unsigned char> out(static_cast<std::size_t>(i2d_PKCS12(p12, nullptr)));
    unsigned char* p = out.data();
    i2d_PKCS12(p12, &p);
    return out;
}

inline PKCS12* Decode(const std::vector<unsigned char>& bytes) {
    const unsigned char* p = bytes.data();
    return d2i_PKCS12(nullptr, &p, static_cast<long>(bytes.size()));
}

// The file with each key bag of its plain safes there `copies` times (each copy decrypts).
inline std::vector<unsigned char> WithKeyBagCopies(const std::vector<unsigned char>& bytes,
                                                   int copies) {
    PKCS12* p12 = Decode(bytes);
    STACK_OF(PKCS7)* safes = PKCS12_unpack_authsafes(p12);
    STACK_OF(PKCS7)* rebuilt = sk_PKCS7_new_null();
    for (int i = 0; i < sk_PKCS7_num(safes); ++i) {
        PKCS7* p7 = sk_PKCS7_value(safes, i);
        if (OBJ_obj2nid(p7->type) != NID_pkcs7_data) {
            sk_PKCS7_push(rebuilt, PKCS7_dup(p7));
            continue;
        }
        STACK_OF(PKCS12_SAFEBAG)* bags = PKCS12_unpack_p7data(p7);
        STACK_OF(PKCS12_SAFEBAG)* many = sk_PKCS12_SAFEBAG_new_null();
        for (int b = 0; b < sk_PKCS12_SAFEBAG_num(bags); ++b) {
            for (int c = 0; c < copies; ++c) {
                sk_PKCS12_SAFEBAG_push(
                    many, static_cast<PKCS12_SAFEBAG*>(ASN1_item_dup(
                              ASN1_ITEM_rptr(PKCS12_SAFEBAG), sk_PKCS12_SAFEBAG_value(bags, b))));
            }
        }
        sk_PKCS7_push(rebuilt, PKCS12_pack_p7data(many));
        sk_PKCS12_SAFEBAG_pop_free(many, PKCS12_SAFEBAG_free);
        sk_PKCS12_SAFEBAG_pop_free(bags, PKCS12_SAFEBAG_free);
    }
    sk_PKCS7_pop_free(safes, PKCS7_free);
    PKCS12_free(p12);
    p12 = PKCS12_init(NID_pkcs7_data);
    PKCS12_pack_authsafes(p12, rebuilt);
    sk_PKCS7_pop_free(rebuilt, PKCS7_free);
    auto encoded = Encode(p12);
    PKCS12_free(p12);
    return encoded;
}

// The file with its MAC declaring `iterations` (the MAC no longer verifies: nothing may run it).
inline std::vector<unsigned char> WithMacIterations(const std::vector<unsigned char>& bytes,
                                                    long iterations) {
    PKCS12* p12 = Decode(bytes);
    const ASN1_INTEGER* iter = nullptr;
    PKCS12_get0_mac(nullptr, nullptr, nullptr, &iter, p12);
    ASN1_INTEGER_set(const_cast<ASN1_INTEGER*>(iter), iterations);
    auto encoded = Encode(p12);
    PKCS12_free(p12);
    return encoded;
}

}  // namespace hostilepfx
