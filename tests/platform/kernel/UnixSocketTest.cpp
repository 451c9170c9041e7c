// The local stream socket: its owner-only file, refused paths, connections to nobody, a round trip
// with its limits up to the peer's end, a peer that does not read, the descriptor's ownership.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <utility>

#include "platform/kernel/UnixSocket.h"
#include "support/TempWorld.h"

namespace {

// A connected pair: the client and the connection the listener accepted.
std::pair<CUnixSocket, CUnixSocket> Pair(const CUnixSocket& server, const std::string& path) {
    CUnixSocket client = CUnixSocket::Connect(path);
    EXPECT_TRUE(client.IsValid());
    EXPECT_TRUE(server.WaitReadable(5000));
    CUnixSocket accepted = server.Accept();
    EXPECT_TRUE(accepted.IsValid());
    return {std::move(client), std::move(accepted)};
}

TEST(UnixSocket, ListensOnAFileOnlyItsOwnerMayUseConnectsWhereSomebodyListensOwnsItsFdCarriesData) {
    vktest::TempWorld world;
    const auto Path = [&world](const std::string& name) { return (world.Root() / name).string(); };
    const std::string path = Path("s");
    const mode_t previous = ::umask(0);
    CUnixSocket server = CUnixSocket::Listen(path);
    ::umask(previous);
    ASSERT_TRUE(server.IsValid());
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_TRUE(S_ISSOCK(info.st_mode));
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_NE(::fcntl(server.Descriptor(), F_GETFD) & FD_CLOEXEC, 0);
    EXPECT_NE(::fcntl(server.Descriptor(), F_GETFL) & O_NONBLOCK, 0);
    EXPECT_FALSE(server.Accept().IsValid()) << "nobody has connected yet";

    // The path is taken while the file is there.
    EXPECT_FALSE(CUnixSocket::Listen(path).IsValid());

    // Bad paths are refused, connections go only where somebody listens.
    const std::string longPath = Path(std::string(120, 'x'));
    EXPECT_FALSE(CUnixSocket::Listen(longPath).IsValid());
    EXPECT_FALSE(CUnixSocket::Connect(longPath).IsValid());
    EXPECT_FALSE(CUnixSocket::Listen("").IsValid());
    EXPECT_FALSE(CUnixSocket::Listen(Path("no-such-folder/s")).IsValid());
    EXPECT_FALSE(CUnixSocket::Listen(std::string("a\0b", 3)).IsValid());

    const std::string other = Path("t");
    EXPECT_FALSE(CUnixSocket::Connect(other).IsValid()) << "no file";
    {
        const CUnixSocket listening = CUnixSocket::Listen(other);
        EXPECT_TRUE(CUnixSocket::Connect(other).IsValid());
    }
    EXPECT_FALSE(CUnixSocket::Connect(other).IsValid()) << "a file nobody listens on";

    // The descriptor goes with a move and is closed with its last owner.
    const int fd = server.Descriptor();
    CUnixSocket moved(std::move(server));
    EXPECT_FALSE(server.IsValid());  // NOLINT(bugprone-use-after-move): moved-from is empty
    EXPECT_EQ(moved.Descriptor(), fd);
    EXPECT_TRUE(CUnixSocket::Connect(path).IsValid());
    CUnixSocket owner;
    owner = std::move(moved);
    EXPECT_EQ(owner.Descriptor(), fd);
    owner = CUnixSocket();
    EXPECT_EQ(::fcntl(fd, F_GETFD), -1) << "the descriptor was not closed";
    EXPECT_FALSE(CUnixSocket::Connect(path).IsValid());

    // Data both ways within the limit given, until the peer's end.
    const std::string third = Path("u");
    const CUnixSocket listener = CUnixSocket::Listen(third);
    ASSERT_TRUE(listener.IsValid());
    auto [client, accepted] = Pair(listener, third);

    std::string got;
    EXPECT_EQ(accepted.ReceiveAvailable(got, 64), CUnixSocket::Received::Nothing);
    EXPECT_FALSE(accepted.WaitReadable(50));

    ASSERT_TRUE(client.SendAll("activate\n", 1000));
    ASSERT_TRUE(accepted.WaitReadable(5000));
    EXPECT_EQ(accepted.ReceiveAvailable(got, 3), CUnixSocket::Received::Data);
    EXPECT_EQ(got, "act");
    EXPECT_EQ(accepted.ReceiveAvailable(got, 64), CUnixSocket::Received::Data);
    EXPECT_EQ(got, "activate\n");

    ASSERT_TRUE(accepted.SendAll("activated\n", 1000));
    std::string answer;
    ASSERT_TRUE(client.WaitReadable(5000));
    EXPECT_EQ(client.ReceiveAvailable(answer, 64), CUnixSocket::Received::Data);
    EXPECT_EQ(answer, "activated\n");

    // The peer's end comes after its last bytes.
    ASSERT_TRUE(client.SendAll("bye", 1000));
    client.Close();
    EXPECT_FALSE(client.IsValid());
    ASSERT_TRUE(accepted.WaitReadable(5000));
    std::string last;
    EXPECT_EQ(accepted.ReceiveAvailable(last, 64), CUnixSocket::Received::Data);
    EXPECT_EQ(last, "bye");
    EXPECT_EQ(accepted.ReceiveAvailable(last, 64), CUnixSocket::Received::Closed);
    // Writing to a peer that is gone fails instead of ending the process.
    EXPECT_FALSE(accepted.SendAll("anyone?", 1000));
    EXPECT_FALSE(client.SendAll("x", 1000)) << "a closed socket sends nothing";
    // It gives up on a peer that does not read: far more than the socket buffers hold.
    auto [writer, idle] = Pair(listener, third);
    EXPECT_FALSE(writer.SendAll(std::string(64 * 1024 * 1024, 'x'), 200));
}

}  // namespace
