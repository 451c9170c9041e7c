#include "platform/token/service/ServiceMessage.h"

#include <poll.h>
#include <sys/socket.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <stdexcept>

namespace vkstore::service {

namespace {

using Clock = std::chrono::steady_clock;

void PutLength(std::uint8_t* out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        out[i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

// Wide enough that adding the length's own four bytes cannot wrap around.
std::size_t GetLength(const std::uint8_t* in) {
    return static_cast<std::size_t>(in[0]) | static_cast<std::size_t>(in[1]) << 8 |
           static_cast<std::size_t>(in[2]) << 16 | static_cast<std::size_t>(in[3]) << 24;
}

// Fills `size` bytes from the socket before the deadline.
bool ReceiveExactly(int fd, std::uint8_t* into, std::size_t size, Clock::time_point deadline) {
    while (size > 0) {
        const ssize_t got = ::recv(fd, into, size, 0);
        if (got > 0) {
            into += got;
            size -= static_cast<std::size_t>(got);
            continue;
        }
        if (got == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
            return false;
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        pollfd entry{fd, POLLIN, 0};
        if (left <= 0 || (::poll(&entry, 1, static_cast<int>(left)) < 0 && errno != EINTR)) {
            return false;
        }
    }
    return true;
}

}  // namespace

Message::Message(std::uint8_t code) : m_code(code) {}

std::size_t Message::Count() const {
    std::size_t count = 0;
    for (std::size_t at = 0; at + 4 <= m_fields.Size(); ++count) {
        at += 4 + GetLength(m_fields.Data() + at);
    }
    return count;
}

Message& Message::Add(std::string_view bytes) {
    const std::size_t at = m_fields.Size();
    m_fields.Resize(at + 4 + bytes.size());
    PutLength(m_fields.Data() + at, static_cast<std::uint32_t>(bytes.size()));
    std::memcpy(m_fields.Data() + at + 4, bytes.data(), bytes.size());
    return *this;
}

Message& Message::Add(const SecretBytes& bytes) {
    return Add(std::string_view(reinterpret_cast<const char*>(bytes.Data()), bytes.Size()));
}

Message& Message::AddNumber(std::int64_t number) {
    return Add(std::to_string(number));
}

std::string_view Message::Field(std::size_t index) const {
    std::size_t at = 0;
    for (;;) {
        if (at + 4 > m_fields.Size()) {
            throw std::out_of_range("no such field");
        }
        const std::size_t length = GetLength(m_fields.Data() + at);
        if (index-- == 0) {
            return {reinterpret_cast<const char*>(m_fields.Data() + at + 4), length};
        }
        at += 4 + length;
    }
}

std::int64_t Message::Number(std::size_t index) const {
    const std::string text(Field(index));
    std::size_t used = 0;
    const long long number = std::stoll(text, &used);
    if (used != text.size()) {
        throw std::out_of_range("not a number");
    }
    return number;
}

SecretBytes Message::Secret(std::size_t index) const {
    const std::string_view field = Field(index);
    return SecretBytes(reinterpret_cast<const std::uint8_t*>(field.data()), field.size());
}

bool Message::Send(const CUnixSocket& socket, int timeoutMs) const {
    std::uint8_t head[6];
    PutLength(head, static_cast<std::uint32_t>(2 + m_fields.Size()));
    head[4] = kProtocolVersion;
    head[5] = m_code;
    return socket.SendAll({reinterpret_cast<const char*>(head), sizeof head}, timeoutMs) &&
           socket.SendAll({reinterpret_cast<const char*>(m_fields.Data()), m_fields.Size()},
                          timeoutMs);
}

std::optional<Message> Message::Receive(const CUnixSocket& socket, int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    std::uint8_t head[6];
    if (!ReceiveExactly(socket.Descriptor(), head, sizeof head, deadline)) {
        return std::nullopt;
    }
    const std::size_t length = GetLength(head);
    if (length < 2 || length > kMaxMessage || head[4] != kProtocolVersion) {
        return std::nullopt;
    }
    Message message(head[5]);
    message.m_fields = SecretBytes(length - 2);
    if (!ReceiveExactly(socket.Descriptor(), message.m_fields.Data(), message.m_fields.Size(),
                        deadline)) {
        return std::nullopt;
    }
    // The fields must tile the message exactly.
    std::size_t at = 0;
    while (at + 4 <= message.m_fields.Size()) {
        at += 4 + GetLength(message.m_fields.Data() + at);
    }
    if (at != message.m_fields.Size()) {
        return std::nullopt;
    }
    return message;
}

}  // namespace vkstore::service
