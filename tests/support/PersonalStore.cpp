#include "support/PersonalStore.h"

#include <gtest/gtest.h>

#include "platform/cert/CertApi.h"

namespace vktest {

void AddToPersonalStore(const std::vector<BYTE>& der) {
    ASSERT_FALSE(der.empty());
    HCERTSTORE store = CertOpenSystemStoreW(0, L"MY");
    ASSERT_NE(store, nullptr);
    EXPECT_TRUE(CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING, der.data(),
                                                 static_cast<DWORD>(der.size()),
                                                 CERT_STORE_ADD_REPLACE_EXISTING, nullptr));
    CertCloseStore(store, 0);
}

}  // namespace vktest
