// Files that ask for unbounded work are refused quickly with the damaged-file message, by the
// real vkcert-cli and by ReadPfxFile: a derivation of 100 million iterations, many bags of the
// largest derivation allowed, a 100 MB file, /dev/zero and a FIFO that never ends. A legitimate
// file at the most iterations tools write still opens with both forms of the empty password.
#include <openssl/pkcs12.h>

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <fstream>
#include <iterator>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "HostilePfx.h"
#include "PfxFixtures.h"
#include "platform/cert/pkcs12/PfxReader.h"
#include "platform/errors/WinError.h"
#include "support/ChildProcess.h"
#include "support/TempWorld.h"

namespace {

namespace fs = std::filesystem;

// Far above the time any refusal takes, far below the work the files ask for.
constexpr int kWatchdogMs = 15000;

std::vector<unsigned char> ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteAll(const fs::path& path, const std::vector<unsigned char>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
}

struct Outcome {
    bool ended = false;
    int exitCode = -1;
    std::string err;
};

// vkcert-cli pfx FILE --password-stdin, killed when it outlives the watchdog.
Outcome RunPfx(const fs::path& dir, const std::string& file) {
    const fs::path in = dir / "stdin";
    const fs::path err = dir / "stderr";
    std::ofstream(in) << "secret\n";
    auto child = vktest::ChildProcess::Exec(
        {"sh", "-c", "in=$0; err=$1; shift; exec setsid \"$@\" <\"$in\" 2>\"$err\"", in.string(),
         err.string(), VKCERT_CLI, "pfx", file, "--password-stdin"});
    Outcome o;
    o.ended = child.WaitFor(kWatchdogMs, &o.exitCode);
    if (!o.ended) {
        child.Kill(SIGKILL);
    }
    std::ifstream e(err);
    o.err.assign(std::istreambuf_iterator<char>(e), std::istreambuf_iterator<char>());
    return o;
}

TEST(PfxBounds, FilesAskingForUnboundedWorkAreRefusedAsDamagedBeforeTheWork) {
    vktest::TempWorld world;
    pfxtest::Workshop shop(world.Root() / "pfx");
    const fs::path dir = world.Root();

    const auto costly =
        ReadAll(shop.Openssl("costly", "secret", {"-iter", "2000000", "-nomac"}).file);
    const auto plain = ReadAll(shop.Openssl("plain", "secret").file);
    const fs::path manyBags = dir / "many-bags.p12";
    const fs::path hundredMillion = dir / "100-million.p12";
    const fs::path huge = dir / "100mb.p12";
    WriteAll(manyBags, hostilepfx::WithKeyBagCopies(costly, 40));
    WriteAll(hundredMillion, hostilepfx::WithMacIterations(plain, 100000000));
    std::ofstream(huge).close();
    fs::resize_file(huge, 100u << 20);

    for (const fs::path& file : {manyBags, hundredMillion, huge, fs::path("/dev/zero")}) {
        SCOPED_TRACE(file.filename().string());
        const Outcome o = RunPfx(dir, file.string());
        if (!o.ended) {
            ADD_FAILURE() << "still working after " << kWatchdogMs << " ms";
            continue;
        }
        EXPECT_EQ(o.exitCode, 3);
        EXPECT_EQ(o.err, "vkcert-cli: " + file.string() + ": not a PKCS #12 file, or damaged\n");
        vk::pkcs12::PfxContents contents;
        EXPECT_EQ(vk::pkcs12::ReadPfxFile(file.c_str(), L"secret", contents), CRYPT_E_BAD_ENCODE);
    }

    // A FIFO that never ends is read only up to the bound: the writer is cut off soon after.
    const fs::path fifo = dir / "endless.p12";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::signal(SIGPIPE, SIG_IGN);
    std::atomic<std::size_t> written{0};
    std::thread writer([&] {
        int fd = -1;
        for (int i = 0; i < kWatchdogMs / 10 && fd < 0; ++i) {
            fd = open(fifo.c_str(), O_WRONLY | O_NONBLOCK);  // ENXIO until the reader opens
            if (fd < 0) {
                usleep(10000);
            }
        }
        fcntl(fd, F_SETFL, 0);
        const std::vector<char> zeros(65536);
        for (ssize_t n = 0; written < (16u << 20) && n >= 0; written += n > 0 ? n : 0) {
            n = write(fd, zeros.data(), zeros.size());
        }
        close(fd);
    });
    const Outcome o = RunPfx(dir, fifo.string());
    writer.join();
    ASSERT_TRUE(o.ended);
    EXPECT_EQ(o.exitCode, 3);
    EXPECT_LT(written.load(), 2u << 20) << "read past the bound";

    // The most iterations tools write, with both forms of the empty password tried: opens.
    const auto most = shop.Openssl("most-iterations", "", {"-iter", "600000"});
    vk::pkcs12::PfxContents contents;
    ASSERT_EQ(vk::pkcs12::ReadPfxFile(most.file.c_str(), L"", contents), ERROR_SUCCESS);
    ASSERT_EQ(contents.certificates.size(), 1u);
    EXPECT_EQ(contents.certificates[0].keyIndex, 0);
}

}  // namespace
