// Draining OpenSSL's error queue: the first reason comes back, nothing stays behind, and
// VKCERT_DEBUG=1 writes every entry to standard error of a real process.
#include <openssl/err.h>
#include <openssl/x509.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "platform/crypto/OpenSslErrors.h"
#include "support/ChildProcess.h"

using vk::crypto::DrainOpenSslErrors;

namespace {

// A certificate whose inner tag is wrong: "wrong tag" first, then nested errors.
void FailToDecode() {
    static const unsigned char kBad[] = {0x30, 0x06, 0x02, 0x01, 0x01, 0x04, 0x05, 0x00};
    const unsigned char* p = kBad;
    X509* cert = d2i_X509(nullptr, &p, sizeof kBad);
    X509_free(cert);
}

// Standard error of the child below, its standard output thrown away.
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
    const unsigned long oldest = ERR_peek_error();
    ASSERT_NE(oldest, ERR_peek_last_error()) << "the failure should leave several entries";
    const unsigned long first = DrainOpenSslErrors("decode");
    EXPECT_EQ(first, oldest);
    EXPECT_EQ(ERR_GET_REASON(first), ASN1_R_WRONG_TAG);
    EXPECT_EQ(ERR_peek_error(), 0u);
}

TEST(OpenSslErrors, DebugWritesEveryEntryToStandardError) {
    DrainOpenSslErrors("what earlier tests left");
    FailToDecode();
    std::vector<std::string> reasons;
    while (const unsigned long code = ERR_get_error()) {
        reasons.push_back(ERR_reason_error_string(code));
    }
    ASSERT_GE(reasons.size(), 2u);

    std::istringstream lines(ChildStderr("1"));
    std::string line;
    for (const auto& reason : reasons) {
        ASSERT_TRUE(std::getline(lines, line)) << "missing the line for " << reason;
        EXPECT_EQ(line.rfind("vkcert: test step: error:", 0), 0u) << line;
        EXPECT_NE(line.find(reason), std::string::npos) << line;
    }
    EXPECT_FALSE(std::getline(lines, line)) << "extra: " << line;

    EXPECT_EQ(ChildStderr("0"), "");
    EXPECT_EQ(ChildStderr(""), "");
}
