// Helpers of the certificate tests: the openssl command, certificates it
// makes, and small conversions.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/cert/CertApi.h"

namespace certtest {

// Runs openssl with these arguments; answers its standard output. Fails the
// current test (and answers "") when it exits with an error.
std::string Openssl(const std::vector<std::string>& args);

// A certificate made by openssl in folder dir: a new key (an argument list for
// "req -newkey", e.g. {"rsa:2048"}), subject, and an extension file section
// (empty: none, which makes a version 1 certificate). Answers the DER bytes and
// leaves "<name>.pem" and "<name>.key" in dir.
struct MadeCert {
    std::vector<BYTE> der;
    std::filesystem::path pem;
};
MadeCert MakeCert(const std::filesystem::path& dir, const std::string& name,
                  const std::string& newkey, const std::string& subject,
                  const std::string& extensions = "", int days = 30);

std::vector<BYTE> PemFileToDer(const std::filesystem::path& pem);
std::vector<BYTE> ReadFile(const std::filesystem::path& path);

// Owns a context.
struct ContextDeleter {
    void operator()(const CERT_CONTEXT* c) const { CertFreeCertificateContext(c); }
};
using ContextPtr = std::unique_ptr<const CERT_CONTEXT, ContextDeleter>;
ContextPtr Context(const std::vector<BYTE>& der);

std::wstring NameString(const CERT_NAME_BLOB& name, DWORD type);
// The attributes of a name in order, as the program walks them: object id and value of its full
// length (NULs kept).
std::vector<std::pair<std::string, std::wstring>> Attributes(const CERT_NAME_BLOB& name);
// CryptFormatObject of an extension, one-line or multi-line.
std::wstring Format(const CERT_EXTENSION& ext, bool multiLine);
const CERT_EXTENSION* FindExtension(PCCERT_CONTEXT context, const char* oid);
// Lower-case hex, bytes separated by spaces; upper-case with ":" for openssl's form.
std::string Hex(const std::vector<BYTE>& bytes, const char* sep = " ", bool upper = false);
std::vector<BYTE> Hash(PCCERT_CONTEXT context, ALG_ID alg);

}  // namespace certtest
