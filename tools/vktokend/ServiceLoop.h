// The service's connections: accepts on its socket, only from processes of
// the same user (SO_PEERCRED), and hands each connection, one request and
// its answer, to a few worker threads. Runs until a stop signal arrives or
// the socket file is no longer its own (removed, or taken by another service).
#pragma once

#include <sys/types.h>

#include <condition_variable>
#include <deque>
#include <filesystem>
#include <mutex>
#include <thread>
#include <vector>

#include "RequestHandler.h"
#include "platform/kernel/UnixSocket.h"

namespace vktokend {

class ServiceLoop {
public:
    ServiceLoop(CUnixSocket listener, std::filesystem::path socketPath, RequestHandler& handler);
    ~ServiceLoop();
    ServiceLoop(const ServiceLoop&) = delete;
    ServiceLoop& operator=(const ServiceLoop&) = delete;

    // Serves until `signalFd` (a signalfd of the stop signals) becomes readable.
    void Run(int signalFd);

private:
    bool SocketIsOurs() const;
    void Work();
    void Serve(const CUnixSocket& connection);

    CUnixSocket m_listener;
    const std::filesystem::path m_socketPath;
    dev_t m_device = 0;
    ino_t m_inode = 0;
    RequestHandler& m_handler;

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<CUnixSocket> m_waiting;
    bool m_stopping = false;
    std::vector<std::jthread> m_workers;
};

}  // namespace vktokend
