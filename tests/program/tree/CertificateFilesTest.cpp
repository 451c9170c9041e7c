// Certificate files of a key node over a virtual token: the export to DER and Base64 files with
// its dialog, overwrite question and messages, and the import of a file onto the key.
#include <openssl/evp.h>
#include <openssl/objects.h>
#include <openssl/rsa.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <fstream>

#include "CertTestUtil.h"
#include "TreeWorld.h"
#include "platform/errors/WinError.h"
#include "platform/text/FormatString.h"
#include "platform/text/Utf.h"
#include "program/app/LangResource.h"
#include "program/ops/CertificateFileExport.h"
#include "program/tree/CCertificateItemInfo.h"

using namespace STreeItemInfo;
using treetest::Log;
namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<BYTE>;

std::string Text(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
void Put(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}
std::string AsText(const Bytes& b) {
    return {b.begin(), b.end()};
}
std::wstring W(const fs::path& path) {
    return Utf8ToWide(path.string());
}

class CertificateFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        w.tokens.AddReader("Reader A");
        w.tokens.MakeToken("Alpha", {}, "Reader A");
        w.tokens.AddContainer("Alpha", "Plain", {1}, {{"CN", "Pee"}});
        w.tokens.AddContainer("Alpha", "Bare", {2}, {});
        fs::create_directories(dir);
    }
    void LogIn() {
        w.tokens.Login("Reader A");
        w.tree->Reset();
    }
    auto Key(const wchar_t* c, DWORD spec) {
        return std::make_shared<CCertificateItemInfo>(w.frame.Facade(), L"Reader A", c, spec);
    }
    // Exports the Plain key's certificate to the file answered with that filter.
    void Export(const fs::path& file, int filter) {
        w.ui.SetNextFile(SFileDialogResult{W(file), filter});
        Key(L"Plain", 1)->OnCommand(ID_ACTIONS_EXPORT_CERT);
    }
    std::wstring LastBox() const { return w.ui.Boxes().empty() ? L"" : w.ui.Boxes().back().text; }

    treetest::TreeWorld w;
    const fs::path dir = fs::temp_directory_path() / "files";
};

TEST_F(CertificateFilesTest, ExportWritesDerAndBase64WithTheExtensionAndRemembersTheFolder) {
    const Bytes cert = Key(L"Plain", 1)->GetCertificate();
    ASSERT_FALSE(cert.empty());
    Export(dir / "cert", 1);
    EXPECT_EQ(certtest::ReadFile(dir / "cert.cer"), cert) << "DER: the certificate's bytes";
    EXPECT_EQ(LastBox(), FormatString(LoadLangString(IDS_EXPORT_SUCCEEDED), W(dir / "cert.cer")));
    EXPECT_EQ(w.ui.Boxes().back().type, MB_ICONINFORMATION);
    Export(dir / "b64.CER", 2);
    EXPECT_EQ(certtest::PemFileToDer(dir / "b64.CER"), cert) << "Base64 reads back in openssl";
    fs::create_directories(dir / "sub");
    Export(dir / "sub" / "a.txt", 1);
    EXPECT_TRUE(fs::exists(dir / "sub" / "a.txt.cer"));
    Export(dir / "again.cer", 1);

    const auto requests = w.ui.FileRequests();
    ASSERT_EQ(requests.size(), 4u);
    EXPECT_FALSE(requests[0].open);
    EXPECT_EQ(requests[0].title, LoadLangString(IDS_EXPORT_DIALOG_TITLE));
    EXPECT_EQ(requests[0].filter, LoadLangString(IDS_FILTER_EXPORT)) << "a guest: no PFX";
    EXPECT_EQ(requests[0].defaultExtension, L"");
    EXPECT_EQ(requests[0].helpTopic, "10_Certificate_Export.html");
    EXPECT_EQ(requests[1].initialDirectory, W(dir));
    EXPECT_EQ(requests[3].initialDirectory, W(dir / "sub"));

    // Logged in, the PFX type is offered and handed over to the wizard; nothing is written.
    LogIn();
    Export(dir / "keys", 3);
    EXPECT_EQ(w.ui.FileRequests().back().filter, LoadLangString(IDS_FILTER_EXPORT_PFX));
    EXPECT_EQ(w.frame.Only({"pfx"}),
              (Log{"pfx export " + (dir / "keys.pfx").string() + " of Reader A Plain 1 Pee"}));
    EXPECT_FALSE(fs::exists(dir / "keys.pfx"));
}

TEST_F(CertificateFilesTest, Base64LinesAreOf64CharactersEndingInCrLfWithoutAFinalLineEnd) {
    Bytes der;
    // A certificate of exactly 1000 bytes: a comment grows until it is.
    for (std::size_t n = 1; n < 1000 && der.size() < 1000; ++n) {
        der = vktest::MakeCertificate(tokentest::SharedKey(), {{"CN", "k"}},
                                      {{NID_netscape_comment, std::string(n, 'c')}});
    }
    ASSERT_EQ(der.size(), 1000u);
    ASSERT_EQ(SVKCERT::WriteCertificateFile(W(dir / "k.cer"), der, SVKCERT::ECertFileType::Base64),
              ERROR_SUCCESS);
    const std::string text = Text(dir / "k.cer");
    ASSERT_TRUE(text.starts_with("-----BEGIN CERTIFICATE-----\r\n"));
    std::vector<std::size_t> lengths;
    std::size_t at = text.find("\r\n") + 2;
    for (std::size_t end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2) {
        lengths.push_back(end - at);
    }
    EXPECT_EQ(lengths, (std::vector<std::size_t>{64, 64, 64, 64, 64, 64, 64, 64, 64, 64, 64,
                                                 64, 64, 64, 64, 64, 64, 64, 64, 64, 56}));
    EXPECT_EQ(text.substr(at), "-----END CERTIFICATE-----") << "no line end after it";
    EXPECT_EQ(text.find('\n', 0) - 1, text.find('\r', 0));
    EXPECT_EQ(certtest::PemFileToDer(dir / "k.cer"), der);
}

TEST_F(CertificateFilesTest, AnExistingFileIsReplacedOnlyOnYesAndAFailedWriteKeepsIt) {
    const Bytes cert = Key(L"Plain", 1)->GetCertificate();
    const std::string old(5000, 'o');
    Put(dir / "old.cer", old);
    w.ui.SetNextAnswer(IDNO);
    Export(dir / "old", 1);  // No: the dialog stays open and is then cancelled
    EXPECT_EQ(Text(dir / "old.cer"), old);
    ASSERT_EQ(w.ui.Boxes().size(), 1u);
    EXPECT_EQ(LastBox(), FormatString(LoadLangString(IDS_CONFIRM_OVERWRITE), W(dir / "old.cer")));
    EXPECT_EQ(w.ui.Boxes().back().type, 0x34u);
    EXPECT_FALSE(w.ui.FileRequests().back().accept(W(dir / "old.cer"), 1));

    w.ui.SetNextAnswer(IDYES);
    Export(dir / "old.cer", 1);
    EXPECT_EQ(certtest::ReadFile(dir / "old.cer"), cert) << "the shorter file leaves no tail";

    // A write the system refuses (files may not grow past a few bytes) leaves the old file.
    Put(dir / "old.cer", old);
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit tiny = saved;
    tiny.rlim_cur = 100;
    setrlimit(RLIMIT_FSIZE, &tiny);
    w.ui.SetNextAnswer(IDYES);
    Export(dir / "old.cer", 1);
    setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_EQ(Text(dir / "old.cer"), old);
    // Message 170 with the path and a description of the error.
    const std::wstring failed =
        FormatString(LoadLangString(IDS_EXPORT_FAILED), W(dir / "old.cer"), L"\x1");
    EXPECT_TRUE(LastBox().starts_with(failed.substr(0, failed.find(L'\x1'))))
        << WideToUtf8(LastBox());
    EXPECT_GT(LastBox().size(), failed.size());
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1)
        << "no temporary is left";
}

TEST_F(CertificateFilesTest, ImportChecksTheFileAndAssignsItsCertificateToTheKey) {
    LogIn();
    auto bare = Key(L"Bare", 2);
    EXPECT_EQ(bare->GetImage(), IDI_KEY_NO_CERT);
    // Every key of the world shares one key pair; another key's certificate is made here.
    std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> other(EVP_RSA_gen(1024), EVP_PKEY_free);
    const Bytes mine = vktest::MakeCertificate(tokentest::SharedKey(), {{"CN", "Newcomer"}});
    Put(dir / "other.cer", AsText(vktest::MakeCertificate(other.get(), {{"CN", "Other"}})));
    Put(dir / "new.cer", AsText(mine));
    Put(dir / "a.txt", AsText(mine));
    certtest::Openssl({"x509", "-inform", "DER", "-in", (dir / "new.cer").string(), "-out",
                       (dir / "mine.pem").string()});
    const std::string pem = Text(dir / "mine.pem");
    for (const std::size_t size : {65534u, 65535u}) {  // the armour may follow line ends
        Put(dir / (std::to_string(size) + ".cer"), std::string(size - pem.size(), '\n') + pem);
    }
    fs::create_directories(dir / "folder.cer");
    w.ui.SetNextFile(std::nullopt);
    bare->OnCommand(ID_ACTIONS_IMPORT_CERT);
    ASSERT_EQ(w.ui.FileRequests().size(), 1u);
    const SFileDialogRequest request = w.ui.FileRequests()[0];
    EXPECT_EQ(request.filter, LoadLangString(IDS_FILTER_IMPORT_PFX));
    EXPECT_EQ(request.helpTopic, "7_CertificateImport.html");
    ASSERT_TRUE(request.check) << "OK is enabled for passing files only";
    for (const auto& [name, passes] : {std::pair{"new.cer", true},
                                       {"other.cer", false},
                                       {"a.txt", false},
                                       {"folder.cer", false},
                                       {"absent.PFX", true},
                                       {"65534.cer", true},
                                       {"65535.cer", false}}) {
        EXPECT_EQ(request.check(W(dir / name)), passes) << name;
    }

    // Assigned: the key carries it, the node is redrawn with its new label and image.
    w.frame.events.clear();
    w.ui.SetNextFile(SFileDialogResult{W(dir / "other.cer"), 1});  // fails: the dialog stays
    w.ui.SetNextFile(SFileDialogResult{W(dir / "new.cer"), 1});
    bare->OnCommand(ID_ACTIONS_IMPORT_CERT);
    EXPECT_EQ(w.frame.Only({"key msg"}), (Log{"key msg 1", "key msg 2"}))
        << "the token's public key is read between the key messages";
    EXPECT_EQ(bare->GetCertificate(), mine);
    EXPECT_EQ(bare->GetImage(), IDI_KEY_CERT);
    EXPECT_TRUE(bare->GetDisplayText().starts_with(L"Newcomer ("));
    EXPECT_EQ(w.frame.Only({"status", "idle", "redraw"}).at(1), "idle arrow");
    EXPECT_EQ(w.frame.Only({"redraw"}), (Log{"redraw Reader A\\Bare\\Signature"}));
    EXPECT_EQ(w.frame.View()->certificate, mine) << "update request 3 shows it";
}

TEST_F(CertificateFilesTest, ImportFailuresAreToldAndTheStatusTextGoes) {
    LogIn();
    Put(dir / "new.cer", AsText(vktest::MakeCertificate(tokentest::SharedKey(), {{"CN", "N"}})));
    struct Case {
        const char* file;
        std::function<void()> whileOpen;
        UINT message;  // 0: none
    };
    const Case cases[] = {
        // Passed the check, then made unreadable; a logout between check and assignment.
        {"gone.cer", [&] { fs::remove(dir / "gone.cer"); }, IDS_OPEN_FILE_FAILED},
        {"new.cer", [&] { w.tokens.Logout("Reader A"); }, IDS_ASSIGN_CERT_FAILED},
        {"new.cer", [&] { w.tokens.World().Remove("Reader A"); }, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        auto bare = Key(L"Bare", 2);
        w.frame.events.clear();
        const std::size_t boxes = w.ui.Boxes().size();
        fs::copy_file(dir / "new.cer", dir / "gone.cer", fs::copy_options::overwrite_existing);
        w.ui.SetOnFileChosen(c.whileOpen);
        w.ui.SetNextFile(SFileDialogResult{W(dir / c.file), 1});
        bare->OnCommand(ID_ACTIONS_IMPORT_CERT);
        const auto status = w.frame.Only({"status", "idle"});
        if (c.message != 0) {
            ASSERT_EQ(w.ui.Boxes().size(), boxes + 1);
            const std::wstring prefix = LoadLangString(c.message);
            EXPECT_EQ(LastBox().substr(0, 12), prefix.substr(0, 12));
            EXPECT_EQ(w.ui.Boxes().back().type, MB_ICONERROR);
            ASSERT_FALSE(status.empty());
            EXPECT_EQ(status.front().substr(0, 17), "status Assigning ");
        }
        EXPECT_TRUE(status.empty() || status.back().starts_with("idle")) << "the status text goes";
        EXPECT_TRUE(w.frame.Only({"redraw"}).empty());
    }
}

}  // namespace
