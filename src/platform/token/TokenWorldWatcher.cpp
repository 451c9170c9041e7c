#include "platform/token/TokenWorldWatcher.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include "platform/token/TokenWorld.h"

namespace vkstore {

namespace {

constexpr int kRescanMs = 1000;
// Writers touch the folder several times per change; wait for them to settle.
constexpr int kSettleMs = 20;

void Drain(int fd) {
    char buf[4096];
    while (::read(fd, buf, sizeof buf) > 0) {
    }
}

}  // namespace

TokenWorldWatcher::TokenWorldWatcher(std::filesystem::path root) : m_root(std::move(root)) {}

TokenWorldWatcher::~TokenWorldWatcher() {
    Stop();
}

TokenWorldWatcher::Snapshot TokenWorldWatcher::Read() const {
    Snapshot snapshot;
    try {
        TokenWorld world(m_root);
        for (const auto& reader : world.Readers()) {
            snapshot[reader.name] =
                reader.token ? reader.token->uuid + "#" + std::to_string(reader.insertion) : "";
        }
    } catch (const std::exception&) {
        // A world that cannot be read now is read again on the next wake-up.
        return m_last;
    }
    return snapshot;
}

bool TokenWorldWatcher::Start(Callback callback) {
    std::lock_guard lock(m_startStop);
    if (m_thread.joinable()) {
        return false;
    }
    if (::pipe2(m_wakeFd, O_CLOEXEC | O_NONBLOCK) != 0) {
        return false;
    }
    m_callback = std::move(callback);
    TokenWorld(m_root).Readers();  // makes the folder so that it can be watched
    m_last = Read();
    m_thread = std::thread([this] { Run(); });
    return true;
}

void TokenWorldWatcher::Stop() {
    std::lock_guard lock(m_startStop);
    if (!m_thread.joinable()) {
        return;
    }
    char stop = 1;
    [[maybe_unused]] auto n = ::write(m_wakeFd[1], &stop, 1);
    m_thread.join();
    ::close(m_wakeFd[0]);
    ::close(m_wakeFd[1]);
    m_wakeFd[0] = m_wakeFd[1] = -1;
}

void TokenWorldWatcher::Run() {
    int inotifyFd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (inotifyFd >= 0) {
        ::inotify_add_watch(inotifyFd, m_root.c_str(),
                            IN_MODIFY | IN_CREATE | IN_MOVED_TO | IN_DELETE | IN_CLOSE_WRITE);
    }
    for (;;) {
        pollfd fds[2] = {{m_wakeFd[0], POLLIN, 0}, {inotifyFd, POLLIN, 0}};
        int ready = ::poll(fds, inotifyFd >= 0 ? 2 : 1, kRescanMs);
        if (ready > 0 && (fds[0].revents & POLLIN)) {
            break;
        }
        if (ready > 0 && (fds[1].revents & POLLIN)) {
            ::poll(fds, 1, kSettleMs);
            if (fds[0].revents & POLLIN) {
                break;
            }
            Drain(inotifyFd);
        }
        Compare(Read());
    }
    if (inotifyFd >= 0) {
        ::close(inotifyFd);
    }
}

void TokenWorldWatcher::Compare(const Snapshot& now) {
    for (const auto& [reader, before] : m_last) {
        auto it = now.find(reader);
        const std::string after = it == now.end() ? std::string() : it->second;
        if (!before.empty() && before != after) {
            m_callback(reader, Change::Removed);
        }
    }
    for (const auto& [reader, after] : now) {
        auto it = m_last.find(reader);
        const std::string before = it == m_last.end() ? std::string() : it->second;
        if (!after.empty() && before != after) {
            m_callback(reader, Change::Inserted);
        }
    }
    m_last = now;
}

}  // namespace vkstore
