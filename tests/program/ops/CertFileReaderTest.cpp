// The certificate file of the import and export: the Base64 file written (line lengths, line
// ends, openssl reading it back) and read (openssl's PEM with any line ends, a shortened end
// line, malformed armour), and the choice between Base64 and DER for the bytes of a file. The
// Base64 coding itself is tested with the coder.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "program/ops/CBase64CerFormat.h"
#include "program/ops/CertFileReader.h"
#include "support/ChildProcess.h"
#include "support/TempWorld.h"

namespace {

namespace fs = std::filesystem;
using SVKCERT::SFileFormats::CBase64CerFormat;
using SVKCERT::SFileFormats::ReadCertificateFile;
using Bytes = std::vector<BYTE>;

int Openssl(std::vector<std::string> args) {
    args.insert(args.begin(), "openssl");
    return vktest::ChildProcess::Exec(args).Wait();
}

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

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
        const fs::path pem = m_world.Root() / "cert.pem";
        const fs::path der = m_world.Root() / "cert.der";
        ASSERT_EQ(Openssl({"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout",
                           (m_world.Root() / "key.pem").string(), "-subj", "/CN=File Test", "-days",
                           "2", "-out", pem.string()}),
                  0);
        ASSERT_EQ(Openssl({"x509", "-in", pem.string(), "-outform", "DER", "-out", der.string()}),
                  0);
        m_der = AsBytes(ReadAll(der));
        m_pem = ReadAll(pem);
    }

    vktest::TempWorld m_world;
    Bytes m_der;
    std::string m_pem;  // openssl's: LF line ends
};

}  // namespace

TEST(Base64CerFormat, WritesLinesOf64WithCrLfAndNoEndAfterTheLastLine) {
    Bytes data(1000);
    for (std::size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<BYTE>(i * 7 + 3);
    }
    const std::string text = CBase64CerFormat::Write(data);
    std::vector<std::size_t> lengths;
    for (std::size_t at = 0, end; (end = text.find("\r\n", at)) != std::string::npos;
         at = end + 2) {
        lengths.push_back(end - at);
    }
    ASSERT_EQ(lengths.size(), 22u);
    EXPECT_EQ(text.substr(0, 29), "-----BEGIN CERTIFICATE-----\r\n");
    EXPECT_EQ(std::count(lengths.begin() + 1, lengths.end(), 64u), 20);
    EXPECT_EQ(lengths.back(), 56u);
    EXPECT_TRUE(text.ends_with("\r\n-----END CERTIFICATE-----"));
    EXPECT_EQ(CBase64CerFormat::Read(text), data);
    EXPECT_EQ(CBase64CerFormat::Write(Bytes{}),
              "-----BEGIN CERTIFICATE-----\r\n-----END CERTIFICATE-----");
}

TEST_F(CertFile, OpensslReadsTheWrittenFile) {
    const fs::path ours = m_world.Root() / "ours.cer";
    const fs::path back = m_world.Root() / "back.der";
    std::ofstream(ours, std::ios::binary) << CBase64CerFormat::Write(m_der);
    ASSERT_EQ(Openssl({"x509", "-in", ours.string(), "-outform", "DER", "-out", back.string()}), 0);
    EXPECT_EQ(AsBytes(ReadAll(back)), m_der);
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
