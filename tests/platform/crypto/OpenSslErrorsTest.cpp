// Draining OpenSSL's error queue: the first reason comes back, nothing stays behind, and
// VKCERT_DEBUG=1 writes every entry to standard error of a real process.
#include <openssl/err.h>
#include <openssl/x509.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

#include "platform/crypto/OpenSslErrors.h"
#include "support/ChildProcess.h"

using vk::crypto::DrainOpenSslErrors;

namespace {

// A certificate whose inner tag is wrong: "wrong tag" first, then nested errors.
void FailToDecode() {
    static const unsigned char kBad[] = {0x30, 0x06, 0x02, 0x01, 0x01, 0x04, 0x05, 0x00};
    const unsigned char* p = kBad;
    X509_free(d2i_X509(nullptr, &p, sizeof kBad));
}

// Standard error of the child below; its standard output is thrown away.
std::string ChildStderr(const std::string& debug) {
    auto child = vktest::ChildProcess::Exec(
        {"sh", "-c", "VKCERT_DEBUG=\"$1\" exec \"$0\" --vk-child drain_failure 2>&1 >/dev/null",
         vktest::SelfPath(), debug},
        true);
    std::string err = child.ReadAll();
    EXPECT_EQ(child.Wait(), 0);
    return err;
}

}  // namespace

VK_TEST_CHILD(drain_failure) {
    FailToDecode();
    std::printf("not on standard error\n");
    return DrainOpenSslErrors("test step") != 0 && ERR_peek_error() == 0 ? 0 : 1;
}

TEST(OpenSslErrors, DrainKeepsTheFirstReasonAndEmptiesTheQueue) {
    DrainOpenSslErrors("what earlier tests left");
    EXPECT_EQ(DrainOpenSslErrors("empty"), 0u);
    FailToDecode();
    ASSERT_NE(ERR_peek_error(), ERR_peek_last_error()) << "the failure leaves several entries";
    EXPECT_EQ(ERR_GET_REASON(DrainOpenSslErrors("decode")), ASN1_R_WRONG_TAG);
    EXPECT_EQ(ERR_peek_error(), 0u);

    // With VKCERT_DEBUG=1, one line per entry, the first reason first.
    int entries = 0;
    for (FailToDecode(); ERR_get_error() != 0;) {
        ++entries;
    }
    std::istringstream lines(ChildStderr("1"));
    std::string line;
    int count = 0;
    while (std::getline(lines, line)) {
        EXPECT_EQ(line.rfind("vkcert: test step: error:", 0), 0u) << line;
        EXPECT_EQ(line.find("wrong tag") != std::string::npos, count++ == 0) << line;
    }
    EXPECT_EQ(count, entries);
    EXPECT_EQ(ChildStderr("0"), "");
}
