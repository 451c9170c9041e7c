// The certificate file of the import and export: the Base64 file written
// (line lengths, line ends, openssl reading it back) and read (armour lines,
// blank lines, Unix line ends, malformed armour), and the choice between Base64
// and DER for the bytes of a file.
#include <gtest/gtest.h>

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

int RunProgram(const std::vector<std::string>& argv) {
    return vktest::ChildProcess::Exec(argv).Wait();
}

Bytes ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

Bytes AsBytes(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

std::vector<std::string> SplitCrLf(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t at = 0;
    for (std::size_t end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2) {
        lines.push_back(text.substr(at, end - at));
    }
    lines.push_back(text.substr(at));
    return lines;
}

class CertFile : public ::testing::Test {
protected:
    void SetUp() override {
        m_pem = m_world.Root() / "cert.pem";
        m_derPath = m_world.Root() / "cert.der";
        ASSERT_EQ(RunProgram({"openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout",
                              (m_world.Root() / "key.pem").string(), "-subj", "/CN=File Test",
                              "-days", "2", "-out", m_pem.string()}),
                  0);
        ASSERT_EQ(RunProgram({"openssl", "x509", "-in", m_pem.string(), "-outform", "DER", "-out",
                              m_derPath.string()}),
                  0);
        m_der = ReadAll(m_derPath);
        std::ifstream in(m_pem, std::ios::binary);
        m_pemText.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    vktest::TempWorld m_world;
    fs::path m_pem;
    fs::path m_derPath;
    Bytes m_der;
    std::string m_pemText;  // openssl's: LF line ends
};

TEST(Base64CerFormat, WritesLinesOf64WithCrLfAndNoEndAfterTheLastLine) {
    Bytes data(1000);
    for (std::size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<BYTE>(i * 7 + 3);
    }
    const std::string text = CBase64CerFormat::Write(data);
    const auto lines = SplitCrLf(text);
    ASSERT_EQ(lines.size(), 23u);
    EXPECT_EQ(lines.front(), "-----BEGIN CERTIFICATE-----");
    EXPECT_EQ(lines.back(), "-----END CERTIFICATE-----");
    std::size_t characters = 0;
    for (std::size_t i = 1; i + 1 < lines.size(); ++i) {
        EXPECT_EQ(lines[i].size(), i < 21 ? 64u : 56u) << i;
        characters += lines[i].size();
    }
    EXPECT_EQ(characters, 1336u);
    EXPECT_TRUE(text.ends_with("\r\n-----END CERTIFICATE-----"));
    EXPECT_EQ(CBase64CerFormat::Read(text), data);
}

TEST(Base64CerFormat, EmptyDataGivesOnlyTheArmour) {
    EXPECT_EQ(CBase64CerFormat::Write(Bytes{}),
              "-----BEGIN CERTIFICATE-----\r\n-----END CERTIFICATE-----");
}

TEST_F(CertFile, OpensslReadsTheWrittenFile) {
    const fs::path ours = m_world.Root() / "ours.cer";
    const std::string text = CBase64CerFormat::Write(m_der);
    std::ofstream(ours, std::ios::binary)
        .write(text.data(), static_cast<std::streamsize>(text.size()));
    const fs::path back = m_world.Root() / "back.der";
    ASSERT_EQ(RunProgram({"openssl", "x509", "-in", ours.string(), "-outform", "DER", "-out",
                          back.string()}),
              0);
    EXPECT_EQ(ReadAll(back), m_der);
}

TEST_F(CertFile, ReadsOpensslPemWithAnyLineEnds) {
    EXPECT_EQ(ReadCertificateFile(AsBytes(m_pemText)), m_der);  // LF only
    std::string crlf;
    for (char c : m_pemText) {
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    }
    EXPECT_EQ(ReadCertificateFile(AsBytes(crlf)), m_der);
    EXPECT_EQ(ReadCertificateFile(AsBytes("\r\n\n\r\n" + m_pemText)), m_der);  // blank lines first
    EXPECT_EQ(ReadCertificateFile(AsBytes(m_pemText + "\n\n\r\n")), m_der);    // after the end
    std::string doubled;
    for (char c : m_pemText) {
        doubled += c == '\n' ? std::string("\n\n") : std::string(1, c);
    }
    EXPECT_EQ(ReadCertificateFile(AsBytes(doubled)), m_der);
    std::string noFinalLineEnd = m_pemText;
    noFinalLineEnd.pop_back();
    EXPECT_EQ(ReadCertificateFile(AsBytes(noFinalLineEnd)), m_der);
}

TEST_F(CertFile, DerBytesAreTakenAsTheyAre) {
    EXPECT_EQ(ReadCertificateFile(m_der), m_der);
}

TEST_F(CertFile, AShortenedEndLineStillEndsTheBody) {
    std::string text = m_pemText;
    text.replace(text.find("-----END CERTIFICATE-----"), 25, "-----END");
    EXPECT_EQ(ReadCertificateFile(AsBytes(text)), m_der);
}

TEST_F(CertFile, MalformedArmourLeavesTheBytesAsTheyAre) {
    const std::string endLine = "-----END CERTIFICATE-----";
    const std::string cases[] = {
        " " + m_pemText,                                                 // space before BEGIN
        m_pemText + "trailing",                                          // text after END
        m_pemText.substr(0, m_pemText.find(endLine)),                    // no END line
        "-----BEGIN CERTIFICATE-----",                                   // nothing after BEGIN
        "-----BEGIN CERTIFICATE-----\r\n-----END CERTIFICATE-----\r\n",  // empty body
        "just some text",
        "",
    };
    for (const std::string& text : cases) {
        EXPECT_EQ(ReadCertificateFile(AsBytes(text)), AsBytes(text)) << text.substr(0, 40);
    }
    for (const std::string& text : {cases[0], cases[1], cases[2], cases[3]}) {
        EXPECT_THROW(CBase64CerFormat::Read(text), CBase64CerFormat::CParseException);
    }
    EXPECT_TRUE(CBase64CerFormat::Read(cases[4]).empty());
}

TEST_F(CertFile, AZeroByteMeansDerEvenAroundArmour) {
    std::string text = m_pemText;
    text.push_back('\0');
    EXPECT_EQ(ReadCertificateFile(AsBytes(text)), AsBytes(text));
}

TEST_F(CertFile, ALongerEndLineIsPartOfTheBody) {
    std::string text = m_pemText;
    text.replace(text.find("-----END CERTIFICATE-----"), 25, "-----END CERTIFICATE-----X");
    EXPECT_THROW(CBase64CerFormat::Read(text), CBase64CerFormat::CParseException);
    EXPECT_EQ(ReadCertificateFile(AsBytes(text)), AsBytes(text));
}

}  // namespace
