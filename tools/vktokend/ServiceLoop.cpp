#include "ServiceLoop.h"

#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace vktokend {

namespace {

constexpr int kWorkers = 4;
constexpr std::size_t kMaxWaiting = 64;
constexpr int kRequestMs = 5'000;
// How often the loop looks whether its socket file is still there.
constexpr int kCheckMs = 2'000;

}  // namespace

ServiceLoop::ServiceLoop(CUnixSocket listener, std::filesystem::path socketPath,
                         RequestHandler& handler)
    : m_listener(std::move(listener)), m_socketPath(std::move(socketPath)), m_handler(handler) {
    struct stat st {};
    if (::stat(m_socketPath.c_str(), &st) == 0) {
        m_device = st.st_dev;
        m_inode = st.st_ino;
    }
    for (int i = 0; i < kWorkers; ++i) {
        m_workers.emplace_back([this] { Work(); });
    }
}

ServiceLoop::~ServiceLoop() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    m_workers.clear();
    if (SocketIsOurs()) {
        ::unlink(m_socketPath.c_str());
    }
}

bool ServiceLoop::SocketIsOurs() const {
    struct stat st {};
    return ::stat(m_socketPath.c_str(), &st) == 0 && st.st_dev == m_device && st.st_ino == m_inode;
}

void ServiceLoop::Run(int signalFd) {
    for (;;) {
        pollfd entries[] = {{m_listener.Descriptor(), POLLIN, 0}, {signalFd, POLLIN, 0}};
        const int ready = ::poll(entries, 2, kCheckMs);
        if (ready < 0 && errno != EINTR) {
            return;
        }
        if ((entries[1].revents & POLLIN) != 0 || !SocketIsOurs()) {
            return;
        }
        for (CUnixSocket connection = m_listener.Accept(); connection.IsValid();
             connection = m_listener.Accept()) {
            if (!connection.PeerIsThisUser()) {
                continue;
            }
            std::lock_guard lock(m_mutex);
            if (m_waiting.size() < kMaxWaiting) {
                m_waiting.push_back(std::move(connection));
                m_wake.notify_one();
            }
        }
    }
}

void ServiceLoop::Work() {
    for (;;) {
        CUnixSocket connection;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_stopping || !m_waiting.empty(); });
            if (m_stopping) {
                return;
            }
            connection = std::move(m_waiting.front());
            m_waiting.pop_front();
        }
        Serve(connection);
    }
}

void ServiceLoop::Serve(const CUnixSocket& connection) {
    const auto request = vkstore::service::Message::Receive(connection, kRequestMs);
    if (request) {
        m_handler.Handle(*request).Send(connection, kRequestMs);
    }
}

}  // namespace vktokend
