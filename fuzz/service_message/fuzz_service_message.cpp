// Reads arbitrary bytes as a message to the token service, as the service reads a request,
// and checks what it relies on: a message read is whole, its fields can be walked without
// reading beyond it, and sending it again gives back the same message.
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/token/service/ServiceMessage.h"

namespace {

using vkstore::service::Message;

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

struct Pair {
    CUnixSocket a, b;
    Pair() {
        int fds[2];
        Check(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, fds) == 0);
        a = CUnixSocket(fds[0]);
        b = CUnixSocket(fds[1]);
    }
};

std::vector<std::string> Fields(const Message& message) {
    std::vector<std::string> fields;
    for (std::size_t i = 0; i < message.Count(); ++i) {
        fields.emplace_back(message.Field(i));
        try {
            message.Number(i);
        } catch (const std::exception&) {
        }
    }
    try {
        message.Field(message.Count());
        Check(false);
    } catch (const std::out_of_range&) {
    }
    return fields;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 100000) {
        return 0;
    }
    Pair pair;
    Check(pair.a.SendAll({reinterpret_cast<const char*>(data), size}, 1000));
    pair.a.Close();
    const auto message = Message::Receive(pair.b, 1000);
    if (!message) {
        return 0;
    }
    const std::vector<std::string> fields = Fields(*message);

    Pair again;
    Check(message->Send(again.a, 1000));
    const auto echoed = Message::Receive(again.b, 1000);
    Check(echoed && echoed->Code() == message->Code() && Fields(*echoed) == fields);
    return 0;
}
