// What vktoken refuses to store because nobody could use it afterwards: names that are not
// UTF-8, a common name the certificate cannot hold, more free memory than memory.
#include <gtest/gtest.h>
#include <openssl/x509.h>

#include <string>
#include <vector>

#include "platform/crypto/CryptApi.h"
#include "platform/token/TokenStore.h"
#include "platform/token/TokenWorld.h"
#include "support/TempWorld.h"
#include "tools/vkcert_cli/CliRun.h"

namespace {

clitest::Result Vktoken(const std::vector<std::string>& args) {
    return clitest::Run(std::filesystem::temp_directory_path(), VKTOKEN, args);
}

std::string CommonName(const vkstore::Bytes& der) {
    const unsigned char* p = der.data();
    X509* cert = d2i_X509(nullptr, &p, static_cast<long>(der.size()));
    char text[512] = {};
    if (cert != nullptr) {
        const X509_NAME_ENTRY* entry = X509_NAME_get_entry(
            X509_get_subject_name(cert),
            X509_NAME_get_index_by_NID(X509_get_subject_name(cert), NID_commonName, -1));
        const ASN1_STRING* value = entry ? X509_NAME_ENTRY_get_data(entry) : nullptr;
        if (value != nullptr) {
            std::string(reinterpret_cast<const char*>(ASN1_STRING_get0_data(value)),
                        static_cast<std::size_t>(ASN1_STRING_length(value)))
                .copy(text, sizeof text - 1);
        }
        X509_free(cert);
    }
    return text;
}

}  // namespace

TEST(VktokenFields, UnusableNamesCommonNamesAndMemoryAreRefusedAndNothingIsStored) {
    vktest::TempWorld temp;
    ASSERT_EQ(Vktoken({"add-reader", "R"}).exitCode, 0);
    ASSERT_EQ(Vktoken({"make-token", "T", "--pin", "1"}).exitCode, 0);
    const std::string cyrillic64 = [] {
        std::string s;
        for (int i = 0; i < 64; ++i) {
            s += "\xD0\xAF";  // Я: 64 characters in 128 bytes
        }
        return s;
    }();
    const std::string pfx = (temp.Root() / "none.pfx").string();

    const std::pair<std::vector<std::string>, const char*> refused[] = {
        {{"add-reader", "Reader \xFF"}, "UTF-8"},
        {{"add-reader", "Reader \xC3"}, "UTF-8"},
        {{"add-reader", "Reader \xC0\xAF"}, "UTF-8"},      // overlong
        {{"add-reader", "Reader \xED\xA0\x80"}, "UTF-8"},  // surrogate
        {{"make-token", "Token \xE2\x82", "--pin", "1"}, "UTF-8"},
        {{"add-container", "T", "c\xFF", "--pin", "1", "--bits", "1024"}, "UTF-8"},
        {{"add-container", "T", "c", "--pin", "1", "--cn", "bad \x80"}, "UTF-8"},
        {{"add-container", "T", "c", "--pin", "1", "--email", "a\xFF@example.org"}, "UTF-8"},
        {{"import-pfx", "T", "c\xFE", pfx, "--pin", "1"}, "UTF-8"},
        {{"add-container", "T", "c", "--pin", "1", "--cn", std::string(65, 'x')}, "64"},
        {{"add-container", "T", cyrillic64 + "x", "--pin", "1"}, "64"},
        {{"make-token", "M", "--memory", "1000", "--free", "1001"}, "--free"},
    };
    for (const auto& [args, word] : refused) {
        const clitest::Result r = Vktoken(args);
        EXPECT_EQ(r.exitCode, 2) << args[0] << " " << args[1];
        EXPECT_NE(r.err.find(word), std::string::npos) << r.err;
    }
    EXPECT_EQ(Vktoken({"list"}).out, "R\t-\n");
    EXPECT_EQ(Vktoken({"tokens"}).out, "T\n");
    vkstore::TokenWorld world;
    vkstore::TokenStore store(world.TokenFile(world.FindToken("T")->uuid));
    EXPECT_TRUE(store.Containers().empty());

    // At the bounds: 64 characters, whatever their bytes, and all the memory free.
    ASSERT_EQ(
        Vktoken({"add-container", "T", "c", "--pin", "1", "--bits", "1024", "--cn", cyrillic64})
            .exitCode,
        0);
    ASSERT_EQ(Vktoken({"add-container", "T", std::string(64, 'n'), "--pin", "1", "--bits", "1024"})
                  .exitCode,
              0);
    EXPECT_EQ(CommonName(store.Key(store.FindContainer("c")->id, AT_KEYEXCHANGE)->certificate),
              cyrillic64);
    EXPECT_EQ(
        CommonName(
            store.Key(store.FindContainer(std::string(64, 'n'))->id, AT_KEYEXCHANGE)->certificate),
        std::string(64, 'n'));
    EXPECT_EQ(Vktoken({"make-token", "M", "--memory", "1000", "--free", "1000"}).exitCode, 0);
}
