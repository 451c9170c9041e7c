// A request to the token service or its answer. On the wire: a 32-bit
// little-endian length, then the version byte, a code byte (the request, or
// the answer's status) and the fields, each a 32-bit little-endian length and
// its bytes. PINs and keys travel in fields, so a message keeps its bytes in
// memory that is wiped when it goes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/kernel/UnixSocket.h"
#include "platform/token/TokenSecrets.h"

namespace vkstore::service {

inline constexpr std::uint8_t kProtocolVersion = 1;
inline constexpr std::size_t kMaxMessage = 4u << 20;

enum class Request : std::uint8_t {
    Hello = 1,    // -> version, process id
    Status,       // world, uuid, insertion -> 1 when logged in on that insertion
    Login,        // world, reader, PIN
    Logout,       // world, uuid
    ExportKey,    // key address -> PRIVATEKEYBLOB
    ImportKey,    // key address, PRIVATEKEYBLOB, exportable
    GenerateKey,  // key address, bits, exportable
};

// An answer's code: kOk, or 1 + the StoreFailure, with the reason as its first field.
inline constexpr std::uint8_t kOk = 0;

class Message {
public:
    explicit Message(std::uint8_t code = kOk);

    std::uint8_t Code() const { return m_code; }
    std::size_t Count() const;

    Message& Add(std::string_view bytes);
    Message& Add(const SecretBytes& bytes);
    Message& AddNumber(std::int64_t number);

    // The field at `index`; std::out_of_range when there is none.
    std::string_view Field(std::size_t index) const;
    std::int64_t Number(std::size_t index) const;
    SecretBytes Secret(std::size_t index) const;

    // Sends the message within `timeoutMs`; false when the peer is gone or too slow.
    bool Send(const CUnixSocket& socket, int timeoutMs) const;
    // One whole message from the socket; nothing on a broken, slow, oversized or
    // malformed one, or one of another protocol version.
    static std::optional<Message> Receive(const CUnixSocket& socket, int timeoutMs);

private:
    std::uint8_t m_code;
    SecretBytes m_fields;  // the fields as they travel
};

}  // namespace vkstore::service
