// The operations: the certificate file written as openssl's PEM with CR LF and read in any of its
// forms or as DER; the container commands over a virtual token, their questions, messages and
// codes, and what they do to the token, also failing in both languages.
#include <openssl/evp.h>  // before CertApi.h: X509_NAME

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "CertTestUtil.h"
#include "TokenTestWorld.h"
#include "platform/errors/ErrorDescription.h"
#include "platform/errors/WinError.h"
#include "program/app/UiLanguage.h"
#include "program/ops/CBase64CerFormat.h"
#include "program/ops/CertFileReader.h"
#include "program/ops/ContainerCommands.h"
#include "program/token/CTokenInfo.h"
#include "support/ScriptedUi.h"
#include "support/TempWorld.h"

namespace {

using SVKCERT::SFileFormats::CBase64CerFormat;

using SVKCERT::SFileFormats::ReadCertificateFile;
using Bytes = std::vector<BYTE>;
using tokentest::ContainerNames;

Bytes AsBytes(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

// Every `from` (a pattern without special characters) replaced.
std::string Replaced(const std::string& text, const std::string& from, const std::string& to) {
    return std::regex_replace(text, std::regex(from), to);
}

TEST(CertFile, WritesOpensslsPemWithCrLfReadsItAndDerAndLeavesMalformedArmourAsItIs) {
    vktest::TempWorld world;
    const auto made = certtest::MakeCert(world.Root(), "cert", "rsa:2048", "/CN=File Test");
    const Bytes& der = made.der;
    const Bytes pemBytes = certtest::ReadFile(made.pem);
    const std::string pem(pemBytes.begin(), pemBytes.end());  // lines of 64, LF line ends
    EXPECT_EQ(CBase64CerFormat::Write(der) + "\r\n", Replaced(pem, "\n", "\r\n"));
    EXPECT_EQ(CBase64CerFormat::Write(Bytes{}),
              "-----BEGIN CERTIFICATE-----\r\n-----END CERTIFICATE-----");

    std::string noFinalLineEnd = pem;
    noFinalLineEnd.pop_back();
    const std::string shortEnd = Replaced(pem, "-----END CERTIFICATE-----", "-----END");
    const std::vector<std::string> texts = {pem,
                                            Replaced(pem, "\n", "\r\n"),
                                            Replaced(pem, "\n", "\n\n"),
                                            "\r\n\n\r\n" + pem,
                                            pem + "\n\n\r\n",
                                            noFinalLineEnd,
                                            shortEnd};
    for (const std::string& text : texts) {
        EXPECT_EQ(ReadCertificateFile(AsBytes(text)), der) << text.substr(text.size() - 40);
    }
    EXPECT_EQ(ReadCertificateFile(der), der);

    // Malformed armour leaves the bytes as they are.
    const std::string endLine = "-----END CERTIFICATE-----";
    const std::string malformed[] = {
        " " + pem,                                    // space before BEGIN
        pem + "trailing",                             // text after END
        pem.substr(0, pem.find(endLine)),             // no END line
        "-----BEGIN CERTIFICATE-----",                // nothing after BEGIN
        Replaced(pem, endLine, endLine + "X"),        // a longer end line is part of the body
        "-----BEGIN CERTIFICATE-----\r\n" + endLine,  // empty body
        pem + std::string(1, '\0'),                   // a zero byte means DER
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

class RecordingHook : public SVKCERT::IContainerOperationHook {
public:
    void OnOperationStart(int code, const std::wstring& statusText) override {
        events.emplace_back(code, statusText);
    }
    void OnOperationEnd(int code) override { events.emplace_back(code, L""); }
    std::vector<std::pair<int, std::wstring>> events;
};

// Deletion on a token its reader holds throughout; without one the look-up finds nothing.
void DeleteWith(CTokenInfo* token, const std::wstring& container, RecordingHook* hook) {
    SVKCERT::DeleteContainerCommand(
        token != nullptr ? token->GetReaderName() : L"", [token](auto&) { return token; },
        container, hook);
}

}  // namespace

TEST(ContainerCommands, FailuresTellTheSystemErrorDeletionAsksAndTheMarkTellsTheOutcome) {
    tokentest::TokenTestWorld world;
    world.AddReader("Reader A");
    world.MakeToken("Alpha", {}, "Reader A");
    world.AddContainer("Alpha", "one");
    world.AddContainer("Alpha", "two");
    CTokenInfo token(L"Reader A", {});
    vktest::ScriptedUi ui;
    RecordingHook hook;
    // Not logged in: every command fails at the token.
    for (LANGID language : {LANG_NEUTRAL_DEFAULT_ID, LANG_RUSSIAN_ID}) {
        SCOPED_TRACE(language);
        SetUiLanguage(language);
        const std::wstring why = SystemErrorDescription(SCARD_W_CARD_NOT_AUTHENTICATED, language);
        const std::size_t before = ui.Boxes().size();
        hook.events.clear();
        ui.SetNextAnswer(IDYES);
        DeleteWith(&token, L"two", &hook);
        SVKCERT::SetDefaultContainerCommand(&token, L"one", &hook);
        SVKCERT::RemoveDefaultContainerCommand(&token, L"one", &hook);
        const auto boxes = ui.Boxes();
        ASSERT_EQ(boxes.size(), before + 4);
        EXPECT_EQ(boxes[before + 1].text, why) << "the deletion tells why";
        EXPECT_EQ(boxes[before + 1].caption, boxes[before].caption);
        for (std::size_t i = before + 1; i < boxes.size(); ++i) {
            EXPECT_EQ(boxes[i].type, UINT{MB_ICONINFORMATION});
            EXPECT_NE(boxes[i].text.find(why), std::wstring::npos) << i;
            EXPECT_EQ(boxes[i].text.find(L"Error") == std::wstring::npos,
                      language == LANG_RUSSIAN_ID || i == before + 1)
                << i;
        }
        // Only the assignment's message names the container.
        EXPECT_NE(boxes[before + 2].text.find(L"one"), std::wstring::npos);
        EXPECT_EQ(boxes[before + 3].text.find(L"one"), std::wstring::npos);
        // The window hears every end, the token keeps its containers.
        EXPECT_EQ(hook.events.size(), 6u);
        EXPECT_EQ(hook.events[1].first, 2);
        EXPECT_EQ(ContainerNames(token), (std::vector<std::wstring>{L"one", L"two"}));
    }
    SetUiLanguage(LANG_NEUTRAL_DEFAULT_ID);

    // Logged in: deletion asks first and the default mark tells the outcome.
    world.Login("Reader A");
    const std::size_t before = ui.Boxes().size();
    hook.events.clear();
    ui.SetNextAnswer(IDNO);
    DeleteWith(&token, L"two", &hook);
    EXPECT_EQ(ContainerNames(token), (std::vector<std::wstring>{L"one", L"two"}));
    ui.SetNextAnswer(IDYES);
    DeleteWith(&token, L"two", &hook);
    EXPECT_EQ(ContainerNames(token), std::vector<std::wstring>{L"one"});
    SVKCERT::SetDefaultContainerCommand(&token, L"one", &hook);
    EXPECT_TRUE(token.FindContainer(L"one")->IsDefault()) << "read again from the token";
    SVKCERT::RemoveDefaultContainerCommand(&token, L"one", &hook);
    EXPECT_FALSE(token.FindContainer(L"one")->IsDefault());

    const auto all = ui.Boxes();
    const std::vector boxes(all.begin() + static_cast<std::ptrdiff_t>(before), all.end());
    ASSERT_EQ(boxes.size(), 4u) << "no message after a deletion that worked";
    EXPECT_EQ(boxes[0].text, L"Do you really want to remove \"two\" container with its contents?");
    EXPECT_EQ(boxes[0].caption, L"Velkora Certificates Browser");
    EXPECT_EQ(boxes[0].type, UINT{MB_YESNO | MB_ICONQUESTION});
    EXPECT_EQ(boxes[2].text, L"Container one has been assigned as Default Container successfully");
    EXPECT_EQ(boxes[3].text, L"Container one is not default container anymore");
    EXPECT_EQ(boxes[3].type, UINT{MB_ICONINFORMATION});
    // Start and end codes; their status texts are checked with the tree view.
    ASSERT_EQ(hook.events.size(), 6u);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(hook.events[i].first, i + 1);
    }

    // Nothing is done without a token information object, for a container the token does not
    // list, or (the answer being No) with nobody to ask.
    ui.SetNextAnswer(IDYES);
    DeleteWith(nullptr, L"one", &hook);
    SVKCERT::SetDefaultContainerCommand(&token, L"three", &hook);
    SVKCERT::RemoveDefaultContainerCommand(nullptr, L"one", &hook);
    IUserInterface* previous = SetUserInterface(nullptr);
    DeleteWith(&token, L"one", &hook);
    SetUserInterface(previous);
    EXPECT_EQ(ui.Boxes().size(), before + 5) << "only the question";
    EXPECT_EQ(hook.events.size(), 6u);
    EXPECT_EQ(ContainerNames(token), std::vector<std::wstring>{L"one"});
}
