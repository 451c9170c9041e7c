// A stream socket in the file system (AF_UNIX) that owns its descriptor. Every
// socket it makes is non-blocking and closed on exec; the waits take a timeout.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

class CUnixSocket {
public:
    // What a receive found.
    enum class Received { Data, Nothing, Closed };

    CUnixSocket() = default;
    explicit CUnixSocket(int descriptor) : m_fd(descriptor) {}
    ~CUnixSocket();
    CUnixSocket(CUnixSocket&& other) noexcept;
    CUnixSocket& operator=(CUnixSocket&& other) noexcept;
    CUnixSocket(const CUnixSocket&) = delete;
    CUnixSocket& operator=(const CUnixSocket&) = delete;

    // Connected to the socket at `path`; invalid when nobody listens there (or
    // its queue is full) or the path does not fit an address.
    static CUnixSocket Connect(const std::string& path);
    // Listening at `path`, reachable by its owner only; invalid when the path is
    // taken, does not fit an address or the folder refuses it.
    static CUnixSocket Listen(const std::string& path);

    bool IsValid() const { return m_fd >= 0; }
    int Descriptor() const { return m_fd; }
    void Close();

    // A connection waiting on a listening socket; invalid when there is none.
    CUnixSocket Accept() const;

    // Sends all of `data` within `timeoutMs`; false when the peer is gone or too slow.
    bool SendAll(std::string_view data, int timeoutMs) const;
    // Appends what has arrived, at most `limit` bytes.
    Received ReceiveAvailable(std::string& into, std::size_t limit) const;
    // Waits up to `timeoutMs` for something to read (or the peer's end).
    bool WaitReadable(int timeoutMs) const;
    // Whether the process at the other end runs as this process's user (SO_PEERCRED).
    bool PeerIsThisUser() const;

private:
    bool Wait(short events, int timeoutMs) const;

    int m_fd = -1;
};
