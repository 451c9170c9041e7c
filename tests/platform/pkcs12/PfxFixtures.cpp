#include "PfxFixtures.h"

#include <openssl/pem.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <tuple>

#include "support/ChildProcess.h"
#include "support/TempWorld.h"

namespace pfxtest {

bool Run(const std::vector<std::string>& argv, std::string* out) {
    auto child = vktest::ChildProcess::Exec(argv, true);
    const std::string output = child.ReadAll();
    if (out != nullptr) {
        *out = output;
    }
    return child.Wait() == 0;
}

Workshop::Workshop(fs::path dir) : m_dir(std::move(dir)) {
    fs::create_directories(m_dir);
    auto p = [this](const char* name) { return (m_dir / name).string(); };
    std::tie(caCert, caKey, leafCert, leafKey, leaf2Cert, leaf2Key) = std::tuple(
        p("ca.pem"), p("ca.key"), p("leaf.pem"), p("leaf.key"), p("leaf2.pem"), p("leaf2.key"));
    EXPECT_TRUE(
        Run({"openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", caKey.string(),
             "-out", caCert.string(), "-days", "30", "-subj", "/CN=Orvel Test CA/O=Orvel"}));
    EXPECT_TRUE(Run({"openssl", "req", "-newkey", "rsa:2048", "-nodes", "-keyout", leafKey.string(),
                     "-out", p("leaf.csr"), "-utf8", "-subj", "/CN=Тест Один/O=Orvel"}));
    EXPECT_TRUE(
        Run({"openssl", "x509", "-req", "-in", p("leaf.csr"), "-CA", caCert.string(), "-CAkey",
             caKey.string(), "-CAcreateserial", "-out", leafCert.string(), "-days", "30"}));
    EXPECT_TRUE(Run({"openssl", "req", "-x509", "-newkey", "rsa:1024", "-nodes", "-keyout",
                     leaf2Key.string(), "-out", leaf2Cert.string(), "-days", "30", "-subj",
                     "/CN=Second Leaf"}));
}

PfxCase Workshop::Openssl(const std::string& label, const std::string& password,
                          const std::vector<std::string>& extra) {
    PfxCase c{label, m_dir / (label + ".p12"), password, {{leafCert, leafKey}}};
    std::vector<std::string> argv = {
        "openssl",       "pkcs12",         "-export",         "-in",  leafCert.string(),
        "-inkey",        leafKey.string(), "-name",           "leaf", "-out",
        c.file.string(), "-passout",       "pass:" + password};
    argv.insert(argv.end(), extra.begin(), extra.end());
    EXPECT_TRUE(Run(argv)) << label;
    return c;
}

PfxCase Workshop::OpensslChain(const std::string& password) {
    PfxCase c = Openssl("openssl-chain", password, {"-certfile", caCert.string()});
    c.contents.push_back({caCert, {}});
    return c;
}

PfxCase Workshop::OpensslCertsOnly(const std::string& label, const std::string& password,
                                   const std::vector<std::string>& extra) {
    PfxCase c{label, m_dir / (label + ".p12"), password, {{caCert, {}}, {leaf2Cert, {}}}};
    std::vector<std::string> argv = {"openssl", "pkcs12",        "-export",   "-nokeys",
                                     "-in",     caCert,          "-certfile", leaf2Cert,
                                     "-out",    c.file.string(), "-passout",  "pass:" + password};
    argv.insert(argv.end(), extra.begin(), extra.end());
    EXPECT_TRUE(Run(argv)) << label;
    return c;
}

PfxCase Workshop::Certtool(const std::string& label, const std::string& password,
                           bool nullPassword) {
    PfxCase c{label, m_dir / (label + ".p12"), password, {{leafCert, leafKey}}};
    EXPECT_TRUE(
        Run({"certtool", "--to-p12", "--load-privkey", leafKey.string(), "--load-certificate",
             leafCert.string(), "--p12-name", "leaf", "--outder", "--outfile", c.file.string(),
             nullPassword       ? "--null-password"
             : password.empty() ? "--empty-password"
                                : "--password=" + password}))
        << label;
    return c;
}

PfxCase Workshop::Pk12util(const std::string& label, const std::string& password) {
    if (m_nssDb.empty()) {
        m_nssDb = m_dir / "nss";
        fs::create_directories(m_nssDb);
        const std::string db = "sql:" + m_nssDb.string();
        EXPECT_TRUE(Run({"certutil", "-N", "-d", db, "--empty-password"}));
        const PfxCase source = Openssl("nss-source", "source");
        EXPECT_TRUE(
            Run({"pk12util", "-i", source.file.string(), "-d", db, "-W", "source", "-K", ""}));
    }
    PfxCase c{label, m_dir / (label + ".p12"), password, {{leafCert, leafKey}}};
    EXPECT_TRUE(Run({"pk12util", "-o", c.file.string(), "-n", "leaf", "-d",
                     "sql:" + m_nssDb.string(), "-W", password, "-K", ""}))
        << label;
    return c;
}

std::vector<PfxCase> Workshop::All() {
    std::vector<PfxCase> cases = {
        Openssl("openssl-empty", ""),
        Openssl("openssl-cyrillic", kCyrillic),
        Openssl("openssl-long", kLong32),
        Openssl("openssl-legacy", kCyrillic, {"-legacy"}),
        Openssl("openssl-legacy-empty", "", {"-legacy"}),
        Openssl("openssl-nomac", kLong32, {"-nomac"}),
        Openssl("openssl-nomac-legacy", "secret", {"-nomac", "-legacy"}),
        Openssl("openssl-plain", "", {"-nomac", "-keypbe", "NONE", "-certpbe", "NONE"}),
        OpensslChain("chain"),
        OpensslCertsOnly("openssl-certs-only", "certs"),
        Certtool("certtool-cyrillic", kCyrillic),
        Certtool("certtool-empty", ""),
        Certtool("certtool-null", "", true),
        Certtool("certtool-long", kLong32),
        Pk12util("pk12util-cyrillic", kCyrillic),
        Pk12util("pk12util-empty", ""),
        Pk12util("pk12util-long", kLong32),
    };
    std::ranges::move(KeytoolCases(), std::back_inserter(cases));
    return cases;
}

std::string CheckWithOtherTools(const fs::path& file, const std::string& password,
                                const fs::path& certPem, const fs::path& keyPem,
                                const fs::path& scratch) {
    fs::create_directories(scratch);
    const std::string pass = "pass:" + password;
    const fs::path gotCert = scratch / "got-cert.pem";
    const fs::path gotKey = scratch / "got-key.pem";
    if (!Run({"openssl", "pkcs12", "-in", file.string(), "-passin", pass, "-nokeys", "-clcerts",
              "-out", gotCert.string()}) ||
        !Run({"openssl", "pkcs12", "-in", file.string(), "-passin", pass, "-nocerts", "-nodes",
              "-out", gotKey.string()})) {
        return "openssl pkcs12 cannot open it";
    }
    if (CertDer(gotCert) != CertDer(certPem)) {
        return "openssl finds another certificate";
    }
    EVP_PKEY* got = LoadKey(gotKey);
    EVP_PKEY* want = LoadKey(keyPem);
    const bool sameKey = got != nullptr && want != nullptr && EVP_PKEY_eq(got, want) == 1;
    EVP_PKEY_free(got);
    EVP_PKEY_free(want);
    if (!sameKey) {
        return "openssl finds another key";
    }
    std::string listing;
    // keytool here refuses non-ASCII passwords even of openssl's own files.
    const bool ascii = std::ranges::all_of(password, [](char c) { return (c & 0x80) == 0; });
    if (password.size() >= 6 && ascii && fs::exists("/usr/bin/keytool") &&
        (!Run({"keytool", "-list", "-storetype", "PKCS12", "-keystore", file.string(), "-storepass",
               password},
              &listing) ||
         listing.find("PrivateKeyEntry") == std::string::npos)) {
        return "keytool cannot list it: " + listing;
    }
    if (!Run({"certtool", "--p12-info", "--inder", "--infile", file.string(), "--password",
              password},
             &listing) ||
        listing.find("BEGIN CERTIFICATE") == std::string::npos) {
        return "certtool cannot read it: " + listing;
    }
    const fs::path db = scratch / "nss";
    fs::remove_all(db);
    fs::create_directories(db);
    if (!Run({"certutil", "-N", "-d", "sql:" + db.string(), "--empty-password"}) ||
        !Run({"pk12util", "-l", file.string(), "-W", password, "-d", "sql:" + db.string()},
             &listing)) {
        return "pk12util cannot list it: " + listing;
    }
    return {};
}

std::vector<PfxCase> KeytoolCases() {
    const fs::path dir = vktest::TestDataDir() / "pfx";
    return {
        {"keytool-one-key", dir / "keytool-one-key.p12", kLong32, {}},
        {"keytool-two-keys", dir / "keytool-two-keys.p12", "two keys pass", {}},
        {"keytool-certs-only", dir / "keytool-certs-only.p12", "changeit", {}},
        {"keytool-legacy", dir / "keytool-legacy.p12", "legacy-pass", {}},
    };
}

std::vector<unsigned char> CertDer(const fs::path& pem) {
    std::string der;
    EXPECT_TRUE(Run({"openssl", "x509", "-in", pem.string(), "-outform", "DER"}, &der)) << pem;
    return {der.begin(), der.end()};
}

EVP_PKEY* LoadKey(const fs::path& pem) {
    BIO* bio = BIO_new_file(pem.c_str(), "r");
    EVP_PKEY* key = bio ? PEM_read_bio_PrivateKey(bio, nullptr, nullptr, nullptr) : nullptr;
    BIO_free(bio);
    return key;
}

}  // namespace pfxtest
