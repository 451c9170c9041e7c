// Files asking for unbounded work are refused as damaged before the work, by the real vkcert-cli
// and by ReadPfxFile: a MAC of 100 million iterations, 40 costly key bags, 100 MB, /dev/zero and
// an endless FIFO. A file at the most iterations tools write still opens.
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
using pfxtest::ReadBytes;

constexpr int kWatchdogMs = 15000;  // far above any refusal, far below the work asked for

// vkcert-cli pfx FILE --password-stdin: its exit code (-1 when killed by the watchdog), stderr.
std::pair<int, std::string> RunPfx(const fs::path& dir, const std::string& file) {
    std::ofstream(dir / "stdin") << "secret\n";
    auto child =
        vktest::ChildProcess::Exec({"sh", "-c", "cd \"$0\" && exec setsid \"$@\" <stdin 2>stderr",
                                    dir, VKCERT_CLI, "pfx", file, "--password-stdin"});
    int code = -1;
    if (!child.WaitFor(kWatchdogMs, &code)) {
        child.Kill(SIGKILL);
        code = -1;
    }
    std::ifstream e(dir / "stderr");
    return {code, std::string(std::istreambuf_iterator<char>(e), {})};
}

TEST(PfxBounds, FilesAskingForUnboundedWorkAreRefusedAsDamagedBeforeTheWork) {
    vktest::TempWorld world;
    pfxtest::Workshop shop(world.Root() / "pfx");
    const fs::path dir = world.Root();
    const fs::path manyBags = dir / "many-bags.p12", mac = dir / "100-million.p12",
                   huge = dir / "100mb.p12", fifo = dir / "endless.p12";
    const auto costly =
        ReadBytes(shop.Openssl("costly", "secret", {"-iter", "2000000", "-nomac"}).file);
    pfxtest::WriteBytes(manyBags, hostilepfx::WithKeyBagCopies(costly, 40));
    const auto plain = ReadBytes(shop.Openssl("plain", "secret").file);
    pfxtest::WriteBytes(mac, hostilepfx::WithMacIterations(plain, 100000000));
    std::ofstream(huge).close();
    fs::resize_file(huge, 100u << 20);

    for (const fs::path& file : {manyBags, mac, huge, fs::path("/dev/zero")}) {
        SCOPED_TRACE(file.filename().string());
        EXPECT_EQ(RunPfx(dir, file.string()),
                  std::make_pair(
                      3, "vkcert-cli: " + file.string() + ": not a PKCS #12 file, or damaged\n"));
        vk::pkcs12::PfxContents contents;
        EXPECT_EQ(vk::pkcs12::ReadPfxFile(file.c_str(), L"secret", contents), CRYPT_E_BAD_ENCODE);
    }

    // An endless FIFO is read only up to the bound: the writer is cut off soon after.
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::signal(SIGPIPE, SIG_IGN);
    std::atomic<std::size_t> written{0};
    std::thread writer([&] {
        const int fd = open(fifo.c_str(), O_WRONLY);  // released by the reader, or below
        const std::vector<char> zeros(65536);
        for (ssize_t n = 0; written < (16u << 20) && n >= 0; written += n > 0 ? n : 0) {
            n = write(fd, zeros.data(), zeros.size());
        }
        close(fd);
    });
    EXPECT_EQ(RunPfx(dir, fifo.string()).first, 3);
    close(open(fifo.c_str(), O_RDONLY | O_NONBLOCK));  // frees a writer no reader came for
    writer.join();
    EXPECT_LT(written.load(), 2u << 20) << "read past the bound";

    // The most iterations tools write, with both forms of the empty password tried: opens.
    vk::pkcs12::PfxContents contents;
    ASSERT_EQ(vk::pkcs12::ReadPfxFile(shop.Openssl("most", "", {"-iter", "600000"}).file.c_str(),
                                      L"", contents),
              ERROR_SUCCESS);
    ASSERT_EQ(contents.certificates.size(), 1u);
    EXPECT_EQ(contents.certificates[0].keyIndex, 0);
}

}  // namespace
