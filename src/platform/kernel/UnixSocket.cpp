#include "platform/kernel/UnixSocket.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <utility>

namespace {

constexpr int kBacklog = 16;
constexpr int kSocketFlags = SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC;

// The address of `path`; false when the path is empty or too long for it.
bool MakeAddress(const std::string& path, sockaddr_un& address) {
    address = sockaddr_un{};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path ||
        path.find('\0') != std::string::npos) {
        return false;
    }
    std::memcpy(address.sun_path, path.data(), path.size());
    return true;
}

const sockaddr* AsAddress(const sockaddr_un& address) {
    return reinterpret_cast<const sockaddr*>(&address);
}

// A new socket and the address of `path` for it; invalid when the path does not fit an address
// or no socket can be made.
CUnixSocket OpenFor(const std::string& path, sockaddr_un& address) {
    if (!MakeAddress(path, address)) {
        return {};
    }
    return CUnixSocket(::socket(AF_UNIX, kSocketFlags, 0));
}

}  // namespace

CUnixSocket::~CUnixSocket() {
    Close();
}

CUnixSocket::CUnixSocket(CUnixSocket&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}

CUnixSocket& CUnixSocket::operator=(CUnixSocket&& other) noexcept {
    if (this != &other) {
        Close();
        m_fd = std::exchange(other.m_fd, -1);
    }
    return *this;
}

void CUnixSocket::Close() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

CUnixSocket CUnixSocket::Connect(const std::string& path) {
    sockaddr_un address;
    CUnixSocket socket = OpenFor(path, address);
    if (!socket.IsValid()) {
        return {};
    }
    int rc = 0;
    do {
        rc = ::connect(socket.m_fd, AsAddress(address), sizeof address);
    } while (rc != 0 && errno == EINTR);
    // A local connection is made at once or not at all (EAGAIN: the queue is full).
    return rc == 0 ? std::move(socket) : CUnixSocket();
}

CUnixSocket CUnixSocket::Listen(const std::string& path) {
    sockaddr_un address;
    CUnixSocket socket = OpenFor(path, address);
    if (!socket.IsValid()) {
        return {};
    }
    // The mode of the socket's inode becomes the mode of the file bind makes, so the
    // file is never open to others, not even for a moment.
    if (::fchmod(socket.m_fd, S_IRUSR | S_IWUSR) != 0) {
        return {};
    }
    if (::bind(socket.m_fd, AsAddress(address), sizeof address) != 0) {
        return {};
    }
    if (::chmod(path.c_str(), S_IRUSR | S_IWUSR) != 0 || ::listen(socket.m_fd, kBacklog) != 0) {
        ::unlink(path.c_str());
        return {};
    }
    return socket;
}

CUnixSocket CUnixSocket::Accept() const {
    if (!IsValid()) {
        return {};
    }
    int fd = -1;
    do {
        fd = ::accept4(m_fd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    return CUnixSocket(fd);
}

bool CUnixSocket::SendAll(std::string_view data, int timeoutMs) const {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!data.empty() && IsValid()) {
        const ssize_t sent = ::send(m_fd, data.data(), data.size(), MSG_NOSIGNAL);
        if (sent > 0) {
            data.remove_prefix(static_cast<std::size_t>(sent));
            continue;
        }
        if (sent < 0 && errno == EINTR) {
            continue;
        }
        if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0 || !Wait(POLLOUT, static_cast<int>(left.count()))) {
                return false;
            }
            continue;
        }
        return false;
    }
    return data.empty();
}

CUnixSocket::Received CUnixSocket::ReceiveAvailable(std::string& into, std::size_t limit) const {
    if (!IsValid()) {
        return Received::Closed;
    }
    char buffer[256];
    bool got = false;
    while (limit > 0) {
        const ssize_t read = ::recv(m_fd, buffer, std::min(limit, sizeof buffer), 0);
        if (read > 0) {
            into.append(buffer, static_cast<std::size_t>(read));
            limit -= static_cast<std::size_t>(read);
            got = true;
            continue;
        }
        if (read < 0 && errno == EINTR) {
            continue;
        }
        if (read < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            break;
        }
        // The peer's end (0) or a broken connection.
        return got ? Received::Data : Received::Closed;
    }
    return got ? Received::Data : Received::Nothing;
}

bool CUnixSocket::PeerIsThisUser() const {
    ucred peer{};
    socklen_t size = sizeof peer;
    return IsValid() && ::getsockopt(m_fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 &&
           peer.uid == ::getuid();
}

bool CUnixSocket::WaitReadable(int timeoutMs) const {
    return Wait(POLLIN, timeoutMs);
}

bool CUnixSocket::Wait(short events, int timeoutMs) const {
    if (!IsValid()) {
        return false;
    }
    pollfd entry{m_fd, events, 0};
    int rc = 0;
    do {
        rc = ::poll(&entry, 1, timeoutMs);
    } while (rc < 0 && errno == EINTR);
    return rc > 0;
}
