// vkcert-cli pfx-import as scripts run it: each producer's file into the demo Pro token, seen by
// a later `list`, and the exit codes of the wizard's endings. The wizard's pages themselves are
// tested with the scripted UI (tests/program/ops).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CliRun.h"
#include "PfxFixtures.h"
#include "support/TempWorld.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kPro = "Velkora USB Reader 0";

class PfxImportCli : public ::testing::Test {
protected:
    PfxImportCli() : workshop(world.Root() / "pfx") {}
    clitest::Result Cli(const std::vector<std::string>& args, const std::string& input) {
        return clitest::Run(world.Root(), VKCERT_CLI, args, &input);
    }

    vktest::TempWorld world;
    pfxtest::Workshop workshop;
};

TEST_F(PfxImportCli, EachProducersFileBecomesANewContainerThatListShows) {
    ASSERT_EQ(clitest::Run(world.Root(), VKTOKEN, {"demo"}).exitCode, 0);
    std::vector<pfxtest::PfxCase> cases = {workshop.Openssl("openssl", pfxtest::kCyrillic),
                                           workshop.Openssl("legacy", "pw", {"-legacy"}),
                                           workshop.Certtool("certtool", pfxtest::kLong32),
                                           workshop.Pk12util("pk12util", "pw")};
    for (const auto& keytool : pfxtest::KeytoolCases()) {
        if (keytool.label == "keytool-one-key") {
            cases.push_back(keytool);
        }
    }
    // Not logged in: the token refuses the new container.
    const auto refused = Cli({"pfx-import", cases[0].file.string(), kPro, "--password-stdin"},
                             cases[0].password + "\n");
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("failed"), std::string::npos) << refused.err;
    ASSERT_EQ(Cli({"login", kPro, "--pin-stdin"}, "12345678\n").exitCode, 0);

    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const auto r = Cli({"pfx-import", c.file.string(), kPro, "--container", "from " + c.label,
                            "--password-stdin"},
                           c.password + "\n");
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.out, "from " + c.label + "\n");
    }
    const auto unnamed = Cli({"pfx-import", cases[0].file.string(), kPro, "--password-stdin"},
                             cases[0].password + "\n");
    EXPECT_EQ(unnamed.exitCode, 0) << unnamed.err;
    EXPECT_EQ(unnamed.out.size(), 37U) << unnamed.out;  // a unique name and the line end

    const std::string list = Cli({"list"}, "").out;
    for (const auto& c : cases) {
        const std::string name = c.label == "keytool-one-key" ? "" : "Тест Один";
        EXPECT_NE(list.find("  from " + c.label + "\n    " + name), std::string::npos) << list;
    }
    EXPECT_NE(list.find("  " + unnamed.out + "    Тест Один (Exchange Key, 2048)"),
              std::string::npos)
        << list;
}

TEST_F(PfxImportCli, TheWizardsEndingsGiveTheirExitCodesAndMessages) {
    ASSERT_EQ(clitest::Run(world.Root(), VKTOKEN, {"demo"}).exitCode, 0);
    ASSERT_EQ(Cli({"login", kPro, "--pin-stdin"}, "12345678\n").exitCode, 0);
    const auto good = workshop.Openssl("openssl", "pw");
    const auto certsOnly = workshop.OpensslCertsOnly("certs", "pw");
    struct Case {
        std::vector<std::string> args;
        std::string password;
        int exitCode;
        std::string message;
    };
    const std::vector<Case> cases = {
        {{good.file.string()}, "wrong", 2, "wrong password"},
        {{workshop.leafCert.string()}, "pw", 3, "parsing PFX file"},
        {{certsOnly.file.string()}, "pw", 5, "does not contain required certificate"},
        {{(world.Root() / "missing.pfx").string()}, "pw", 1, "reading file"},
        {{good.file.string()}, pfxtest::kLong32 + "x", 1, "must not exceed 32"},
        {{good.file.string(), "--container", ""}, "pw", 1, "empty name"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {"pfx-import", c.args[0], kPro, "--password-stdin"};
        args.insert(args.end(), c.args.begin() + 1, c.args.end());
        const auto r = Cli(args, c.password + "\n");
        EXPECT_EQ(r.exitCode, c.exitCode) << c.message;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_TRUE(r.out.empty()) << r.out;
    }
    EXPECT_EQ(Cli({"list"}, "").out.find("Тест Один"), std::string::npos);
}

}  // namespace
