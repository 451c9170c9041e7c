// The certificate file of the import and export: the Base64 file written (openssl's own PEM
// with CR LF line ends and no end after the last line) and read (openssl's PEM with any line
// ends, a shortened end line, malformed armour), and the choice between Base64 and DER for the
// bytes of a file. The Base64 coding itself is tested with the coder.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CertTestUtil.h"
#include "program/ops/CBase64CerFormat.h"
#include "program/ops/CertFileReader.h"
#include "support/TempWorld.h"

namespace {

using SVKCERT::SFileFormats::CBase64CerFormat;
using SVKCERT::SFileFormats::ReadCertificateFile;
using Bytes = std::vector<BYTE>;

Bytes AsBytes(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size()) {
        text.replace(at, from.size(), to);
    }
    return text;
}

class CertFile : public ::testing::Test {
protected:
    void SetUp() override {
        const auto made = certtest::MakeCert(m_world.Root(), "cert", "rsa:2048", "/CN=File Test");
        m_der = made.der;
        const Bytes pem = certtest::ReadFile(made.pem);
        m_pem.assign(pem.begin(), pem.end());
    }

    vktest::TempWorld m_world;
    Bytes m_der;
    std::string m_pem;  // openssl's: lines of 64, LF line ends
};

}  // namespace

TEST_F(CertFile, WritesOpensslsPemWithCrLfAndNoEndAfterTheLastLine) {
    EXPECT_EQ(CBase64CerFormat::Write(m_der) + "\r\n", Replaced(m_pem, "\n", "\r\n"));
    EXPECT_EQ(CBase64CerFormat::Write(Bytes{}),
              "-----BEGIN CERTIFICATE-----\r\n-----END CERTIFICATE-----");
}

TEST_F(CertFile, ReadsDerAndOpensslPemWithAnyLineEnds) {
    std::string noFinalLineEnd = m_pem;
    noFinalLineEnd.pop_back();
    const std::string shortEnd = Replaced(m_pem, "-----END CERTIFICATE-----", "-----END");
    const std::vector<std::string> texts = {m_pem,
                                            Replaced(m_pem, "\n", "\r\n"),
                                            Replaced(m_pem, "\n", "\n\n"),
                                            "\r\n\n\r\n" + m_pem,
                                            m_pem + "\n\n\r\n",
                                            noFinalLineEnd,
                                            shortEnd};
    for (const std::string& text : texts) {
        EXPECT_EQ(ReadCertificateFile(AsBytes(text)), m_der) << text.substr(text.size() - 40);
    }
    EXPECT_EQ(ReadCertificateFile(m_der), m_der);
}

TEST_F(CertFile, MalformedArmourLeavesTheBytesAsTheyAre) {
    const std::string endLine = "-----END CERTIFICATE-----";
    const std::string malformed[] = {
        " " + m_pem,                                  // space before BEGIN
        m_pem + "trailing",                           // text after END
        m_pem.substr(0, m_pem.find(endLine)),         // no END line
        "-----BEGIN CERTIFICATE-----",                // nothing after BEGIN
        Replaced(m_pem, endLine, endLine + "X"),      // a longer end line is part of the body
        "-----BEGIN CERTIFICATE-----\r\n" + endLine,  // empty body
        m_pem + std::string(1, '\0'),                 // a zero byte means DER
        "just some text",
        "",
    };
    for (const std::string& text : malformed) {
        EXPECT_EQ(ReadCertificateFile(AsBytes(text)), AsBytes(text)) << text.substr(0, 40);
    }
    for (int i = 0; i < 5; ++i) {
        EXPECT_THROW(CBase64CerFormat::Read(malformed[i]), CBase64CerFormat::CParseException) << i;
    }
    EXPECT_TRUE(CBase64CerFormat::Read(malformed[5]).empty());
}
