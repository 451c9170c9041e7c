#include "platform/token/service/TokenServiceClient.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <stdexcept>
#include <thread>
#include <vector>

#include "platform/token/StoreError.h"
#include "platform/token/service/ServiceMessage.h"

extern char** environ;

namespace vkstore::service {

namespace {

constexpr int kQuickMs = 10'000;
// Covers a PIN derivation queued behind others and a store held by a writer for its two minutes.
constexpr int kSlowMs = 150'000;
constexpr auto kStartWait = std::chrono::seconds(10);

bool IsProgram(const std::filesystem::path& path) {
    return !path.empty() && ::access(path.c_str(), X_OK) == 0;
}

// Runs `vktokend --detach`, which answers once the service listens (or another one runs).
void StartService(const std::filesystem::path& folder) {
    const std::string program = ServiceProgram().string();
    const std::string folderText = folder.string();
    std::vector<char*> argv = {const_cast<char*>(program.c_str()), const_cast<char*>("--detach"),
                               const_cast<char*>("--folder"), const_cast<char*>(folderText.c_str()),
                               nullptr};
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK);
    pid_t pid = 0;
    const int rc =
        program.find('/') == std::string::npos
            ? ::posix_spawnp(&pid, program.c_str(), nullptr, &attributes, argv.data(), environ)
            : ::posix_spawn(&pid, program.c_str(), nullptr, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    if (rc != 0) {
        throw StoreError(StoreFailure::NoService, "cannot start " + program);
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        throw StoreError(StoreFailure::NoService, program + " did not start");
    }
}

}  // namespace

std::filesystem::path ServiceProgram() {
    if (const char* chosen = std::getenv("VKTOKEND"); chosen && *chosen) {
        return chosen;
    }
    std::error_code ec;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec && IsProgram(self.parent_path() / "vktokend")) {
        return self.parent_path() / "vktokend";
    }
#ifdef VK_TOKEND_BUILD_PATH
    if (IsProgram(VK_TOKEND_BUILD_PATH)) {
        return VK_TOKEND_BUILD_PATH;
    }
#endif
    return "vktokend";
}

// One request and its answer.
class TokenServiceClient::Call {
public:
    Call(const std::filesystem::path& folder, Request request)
        : m_folder(folder), m_message(static_cast<std::uint8_t>(request)) {}

    Message& Out() { return m_message; }

    // The answer of a running service; nothing when none runs.
    std::optional<Message> TryAnswer(int timeoutMs) {
        CUnixSocket socket = CUnixSocket::Connect(SocketPath(m_folder).string());
        if (!socket.IsValid()) {
            return std::nullopt;
        }
        return Exchange(socket, timeoutMs);
    }

    // The answer, starting the service when none runs.
    Message Answer(int timeoutMs) {
        if (auto answer = TryAnswer(timeoutMs)) {
            return *std::move(answer);
        }
        OpenServiceFolder(m_folder);
        StartService(m_folder);
        const auto deadline = std::chrono::steady_clock::now() + kStartWait;
        for (;;) {
            if (auto answer = TryAnswer(timeoutMs)) {
                return *std::move(answer);
            }
            if (std::chrono::steady_clock::now() > deadline) {
                throw StoreError(StoreFailure::NoService, "the token service does not answer");
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }

private:
    Message Exchange(const CUnixSocket& socket, int timeoutMs) {
        // Only a service of this user is told a PIN or asked for a key.
        if (!socket.PeerIsThisUser()) {
            throw StoreError(StoreFailure::NoService,
                             "the token service socket belongs to another user");
        }
        std::optional<Message> answer;
        if (m_message.Send(socket, timeoutMs)) {
            answer = Message::Receive(socket, timeoutMs);
        }
        if (!answer) {
            throw StoreError(StoreFailure::NoService, "the token service broke off");
        }
        if (answer->Code() != kOk) {
            const std::string reason(answer->Count() > 0 ? answer->Field(0) : "");
            if (answer->Code() - 1 > static_cast<int>(StoreFailure::NoService)) {
                throw std::runtime_error("token service: " + reason);
            }
            throw StoreError(static_cast<StoreFailure>(answer->Code() - 1), reason);
        }
        return *std::move(answer);
    }

    const std::filesystem::path& m_folder;
    Message m_message;
};

TokenServiceClient::TokenServiceClient(std::filesystem::path folder)
    : m_folder(std::move(folder)) {}

namespace {

// The service works from the root folder: a world named relative to ours is named in full.
std::string WorldName(const std::filesystem::path& world) {
    return std::filesystem::absolute(world).lexically_normal().string();
}

Message& AddToken(Message& message, const TokenAddress& token) {
    return message.Add(WorldName(token.world))
        .Add(token.reader)
        .Add(token.uuid)
        .AddNumber(token.insertion);
}

Message& AddKey(Message& message, const KeyAddress& key) {
    return AddToken(message, key.token).AddNumber(key.container).AddNumber(key.spec);
}

}  // namespace

bool TokenServiceClient::IsLoggedIn(const TokenAddress& token) {
    Call call(m_folder, Request::Status);
    AddToken(call.Out(), token);
    auto answer = call.TryAnswer(kQuickMs);
    return answer && answer->Number(0) == 1;
}

void TokenServiceClient::Login(const std::filesystem::path& world, std::string_view reader,
                               std::string_view pin) {
    Call call(m_folder, Request::Login);
    call.Out().Add(WorldName(world)).Add(reader).Add(pin);
    call.Answer(kSlowMs);
}

void TokenServiceClient::Logout(const std::filesystem::path& world, std::string_view uuid) {
    Call call(m_folder, Request::Logout);
    call.Out().Add(WorldName(world)).Add(uuid);
    call.TryAnswer(kQuickMs);
}

SecretBytes TokenServiceClient::ExportKey(const KeyAddress& key) {
    Call call(m_folder, Request::ExportKey);
    AddKey(call.Out(), key);
    auto answer = call.TryAnswer(kSlowMs);
    if (!answer) {
        throw StoreError(StoreFailure::NotLoggedIn, "nobody is logged in");
    }
    return answer->Secret(0);
}

void TokenServiceClient::ImportKey(const KeyAddress& key, const BYTE* blob, DWORD blobLength,
                                   bool exportable) {
    Call call(m_folder, Request::ImportKey);
    AddKey(call.Out(), key)
        .Add(std::string_view(reinterpret_cast<const char*>(blob), blobLength))
        .AddNumber(exportable ? 1 : 0);
    if (!call.TryAnswer(kSlowMs)) {
        throw StoreError(StoreFailure::NotLoggedIn, "nobody is logged in");
    }
}

void TokenServiceClient::GenerateKey(const KeyAddress& key, DWORD bits, bool exportable) {
    Call call(m_folder, Request::GenerateKey);
    AddKey(call.Out(), key).AddNumber(bits).AddNumber(exportable ? 1 : 0);
    if (!call.TryAnswer(kSlowMs)) {
        throw StoreError(StoreFailure::NotLoggedIn, "nobody is logged in");
    }
}

std::int64_t TokenServiceClient::ServiceProcess() {
    Call call(m_folder, Request::Hello);
    return call.Answer(kQuickMs).Number(1);
}

}  // namespace vkstore::service
