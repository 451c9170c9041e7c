// vktoken: administers the virtual Velkora tokens of the user (readers,
// tokens, insertions, PINs, containers, keys and certificates).
#include <openssl/crypto.h>

#include <cstring>
#include <functional>
#include <iostream>
#include <map>

#include "Args.h"
#include "Demo.h"
#include "TokenAdmin.h"
#include "platform/text/Utf.h"
#include "platform/token/StoreError.h"
#include "platform/token/TokenWorld.h"
#include "platform/version/ProgramVersion.h"

namespace {

constexpr const char* kHelp = R"(vktoken - administers virtual Velkora tokens

The tokens live in $XDG_DATA_HOME/vkcert/tokens (~/.local/share/vkcert/tokens);
vkCert sees every change at once, as if a token were plugged in or pulled out.
Readers and tokens are named as vkCert shows them: readers by their name,
tokens by their label. Exit code 0 on success, 1 on any failure (with a
message on standard error), 2 for a command line that cannot be understood.

Each token has two PINs: the user PIN, which opens its keys, and the
administrator PIN, which only unblocks a user PIN locked by wrong tries.
Each counts its own wrong tries and locks at zero; a locked administrator
PIN cannot be unblocked and the token is lost. The counters stop guessing
through vkCert; a copy of the token file can be guessed at offline, where
each guess costs about 0.2 s and 64 MiB and only a long PIN protects it.

PINs and passwords are typed without echo when standard input is a terminal,
or read as one line each from standard input with --pin-stdin,
--admin-pin-stdin, --new-pin-stdin and --password-stdin (in that order).
--pin, --admin-pin, --new-pin and --password put the secret on the command
line, where every user of the machine can read it: use them only for
throwaway demo tokens.

Readers and insertions:
  vktoken list                       one line per reader: name, tab, label of
                                     the token in it or -
  vktoken add-reader READER
  vktoken delete-reader READER       (a token in it is taken out first)
  vktoken insert READER LABEL        put a token into an empty reader
  vktoken remove READER              take the token out of a reader

Tokens:
  vktoken tokens                     one line per token: label
  vktoken make-token LABEL [--pin-stdin | --pin PIN]
          [--admin-pin-stdin | --admin-pin PIN] [--type 0|1|2]
          [--version MAJOR.MINOR] [--memory BYTES] [--free BYTES]
          [--protocol N] [--microcode N] [--id HEX] [--pin-policy 0|1|2]
          [--retries N]
        type 0: Velkora (Velkora Mini from version 2), 1: Velkora Pro, 2: other;
        PIN change policy 0: user and admin, 1: admin, 2: user.
        Defaults: type 1, version 1.0, 65536 bytes, all free, PIN 1234,
        administrator PIN 87654321, 10 tries for each PIN.
  vktoken delete-token LABEL
  vktoken show LABEL                 the token record, containers and keys
  vktoken change-pin LABEL [--pin-stdin | --pin OLD]
          [--new-pin-stdin | --new-pin NEW]
        typed on a terminal, the new PIN is asked twice.
  vktoken unblock LABEL [--admin-pin-stdin | --admin-pin PIN]
          [--new-pin-stdin | --new-pin NEW]
        checks the administrator PIN, then sets the new user PIN and gives it
        all its tries again; the keys stay. A token made without an
        administrator PIN cannot be unblocked.

Containers and keys (these need the token's user PIN):
  vktoken add-container LABEL NAME [--pin-stdin | --pin PIN]
          [--keys exchange|signature|both] [--bits 1024..4096]
          [--exportable] [--cert self|ca|none] [--cn NAME] [--email ADDRESS]
          [--default]
        generates RSA keys, with a self-signed certificate, one from the
        demo certification authority, or none.
  vktoken delete-container LABEL NAME [--pin-stdin | --pin PIN]
  vktoken import-pfx LABEL NAME FILE [--pin-stdin | --pin PIN]
          [--password-stdin | --password PASSWORD] [--spec exchange|signature]
          [--exportable]
          [--replace]
        stores the file's private key and certificate in a new container NAME;
        an existing container is refused unless --replace puts the file's key
        in place of its key of that spec. Without a terminal or a password
        option the file's password is empty.

Demo:
  vktoken demo [--force]             builds three readers, a Velkora Pro token
        (PIN 12345678) in Velkora USB Reader 0, a Velkora Mini token (PIN 1111)
        in Velkora USB Reader 1, and leaves Velkora USB Reader 2 empty; both
        have the administrator PIN 87654321.
        Refuses a world that is not empty unless --force replaces it.

  vktoken --help                     this text
  vktoken --version                  the program's version
)";

using Command = std::function<void(int argc, char** argv)>;

vkstore::TokenWorld& World() {
    static vkstore::TokenWorld world;
    return world;
}

// Names and fields are shown as text: they must be well-formed UTF-8.
const std::string& Utf8Field(const std::string& text, const char* what) {
    if (!IsValidUtf8(text)) {
        throw UsageError(std::string(what) + " is not valid UTF-8");
    }
    return text;
}

// The common name of a certificate holds at most 64 characters.
constexpr std::size_t kMaxCommonName = 64;

void ParseVersion(const std::string& text, vkstore::TokenRecordData& record) {
    unsigned major = 0, minor = 0;
    char dot = 0, extra = 0;
    if (std::sscanf(text.c_str(), "%u%c%u%c", &major, &dot, &minor, &extra) != 3 || dot != '.' ||
        major > 255 || minor > 255) {
        throw UsageError("--version takes MAJOR.MINOR, each 0 to 255");
    }
    record.versionMajor = static_cast<std::uint8_t>(major);
    record.versionMinor = static_cast<std::uint8_t>(minor);
}

void MakeToken(int argc, char** argv) {
    Args args(argc, argv, 2,
              {"pin", "admin-pin", "type", "version", "memory", "free", "protocol", "microcode",
               "id", "pin-policy", "retries"},
              {"pin-stdin", "admin-pin-stdin"});
    args.Expect(1, "make-token LABEL [options]");
    vkstore::TokenRecordData r;
    r.label = Utf8Field(args.Positional()[0], "the token label");
    r.type = static_cast<std::uint8_t>(args.Number("type", 1, 0, 2));
    if (auto version = args.Value("version")) {
        ParseVersion(*version, r);
    }
    r.memorySize = static_cast<std::uint32_t>(args.Number("memory", 65536, 0, 0xFFFFFFFF));
    r.freeMemory = static_cast<std::uint32_t>(args.Number("free", r.memorySize, 0, 0xFFFFFFFF));
    if (r.freeMemory > r.memorySize) {
        throw UsageError("--free cannot be more than --memory (" + std::to_string(r.memorySize) +
                         " bytes)");
    }
    r.protocol = static_cast<std::uint8_t>(args.Number("protocol", 1, 0, 255));
    r.microcode = static_cast<std::uint8_t>(args.Number("microcode", 1, 0, 255));
    if (auto id = args.Value("id")) {
        std::size_t used = 0;
        unsigned long value = 0;
        try {
            value = std::stoul(*id, &used, 16);
        } catch (const std::exception&) {
            used = 0;
        }
        if (used == 0 || used != id->size() || value > 0xFFFFFFFF) {
            throw UsageError("--id takes up to eight hexadecimal digits");
        }
        r.tokenId = static_cast<std::uint32_t>(value);
    }
    r.pinPolicy = static_cast<std::uint8_t>(args.Number("pin-policy", 0, 0, 2));
    std::string pin = args.Value("pin") || args.Flag("pin-stdin") ? ReadPin(args) : "1234";
    std::string adminPin = args.Value("admin-pin") || args.Flag("admin-pin-stdin")
                               ? ReadPin(args, "admin-pin")
                               : kDemoAdminPin;
    if (adminPin.empty()) {
        throw UsageError("the administrator PIN must not be empty");
    }
    World().CreateToken(r, pin, {}, static_cast<std::uint32_t>(args.Number("retries", 10, 1, 255)),
                        adminPin);
    OPENSSL_cleanse(pin.data(), pin.size());
    OPENSSL_cleanse(adminPin.data(), adminPin.size());
}

void AddContainer(int argc, char** argv) {
    Args args(argc, argv, 2, {"pin", "keys", "bits", "cert", "cn", "email"},
              {"pin-stdin", "exportable", "default"});
    args.Expect(2, "add-container LABEL NAME [options]");
    ContainerRequest request;
    request.name = Utf8Field(args.Positional()[1], "the container name");
    const std::string keys = args.Value("keys").value_or("exchange");
    if (keys != "exchange" && keys != "signature" && keys != "both") {
        throw UsageError("--keys takes exchange, signature or both");
    }
    request.exchange = keys != "signature";
    request.signature = keys != "exchange";
    request.bits = static_cast<unsigned>(args.Number("bits", 2048, 1024, 4096));
    if (request.bits % 8 != 0) {
        throw UsageError("--bits must be a multiple of 8");
    }
    request.exportable = args.Flag("exportable");
    const std::string cert = args.Value("cert").value_or("self");
    if (cert == "self") {
        request.cert = ContainerRequest::Cert::SelfSigned;
    } else if (cert == "ca") {
        request.cert = ContainerRequest::Cert::FromCa;
    } else if (cert == "none") {
        request.cert = ContainerRequest::Cert::None;
    } else {
        throw UsageError("--cert takes self, ca or none");
    }
    request.commonName = Utf8Field(args.Value("cn").value_or(""), "--cn");
    request.email = Utf8Field(args.Value("email").value_or(""), "--email");
    const std::string& shownName = request.commonName.empty() ? request.name : request.commonName;
    if (request.cert != ContainerRequest::Cert::None &&
        Utf8ToWide(shownName).size() > kMaxCommonName) {
        throw UsageError("a certificate's common name has at most " +
                         std::to_string(kMaxCommonName) +
                         " characters: give a shorter --cn (the container name is the default)");
    }
    request.makeDefault = args.Flag("default");
    std::string pin = ReadPin(args);
    TokenAdmin(World()).AddContainer(args.Positional()[0], pin, request);
    OPENSSL_cleanse(pin.data(), pin.size());
}

void DeleteContainer(int argc, char** argv) {
    Args args(argc, argv, 2, {"pin"}, {"pin-stdin"});
    args.Expect(2, "delete-container LABEL NAME [--pin-stdin | --pin PIN]");
    std::string pin = ReadPin(args);
    TokenAdmin(World()).DeleteContainer(args.Positional()[0], pin, args.Positional()[1]);
    OPENSSL_cleanse(pin.data(), pin.size());
}

void ImportPfx(int argc, char** argv) {
    Args args(argc, argv, 2, {"pin", "password", "spec"},
              {"pin-stdin", "password-stdin", "exportable", "replace"});
    args.Expect(3, "import-pfx LABEL NAME FILE [options]");
    const std::string spec = args.Value("spec").value_or("exchange");
    if (spec != "exchange" && spec != "signature") {
        throw UsageError("--spec takes exchange or signature");
    }
    Utf8Field(args.Positional()[1], "the container name");
    std::string pin = ReadPin(args);
    std::string password = ReadPin(args, "password", false);
    TokenAdmin(World()).ImportPfx(args.Positional()[0], pin, args.Positional()[1],
                                  args.Positional()[2], password, spec == "exchange" ? 1 : 2,
                                  args.Flag("exportable"), args.Flag("replace"));
    OPENSSL_cleanse(pin.data(), pin.size());
    OPENSSL_cleanse(password.data(), password.size());
}

void ChangePin(int argc, char** argv) {
    Args args(argc, argv, 2, {"pin", "new-pin"}, {"pin-stdin", "new-pin-stdin"});
    args.Expect(1, "change-pin LABEL [--pin-stdin] [--new-pin-stdin]");
    std::string oldPin = ReadPin(args);
    std::string newPin = ReadPin(args, "new-pin");
    TokenAdmin(World()).ChangePin(args.Positional()[0], oldPin, newPin);
    OPENSSL_cleanse(oldPin.data(), oldPin.size());
    OPENSSL_cleanse(newPin.data(), newPin.size());
}

void Unblock(int argc, char** argv) {
    Args args(argc, argv, 2, {"admin-pin", "new-pin"}, {"admin-pin-stdin", "new-pin-stdin"});
    args.Expect(1, "unblock LABEL [--admin-pin-stdin] [--new-pin-stdin]");
    std::string adminPin = ReadPin(args, "admin-pin");
    std::string newPin = ReadPin(args, "new-pin");
    TokenAdmin(World()).Unblock(args.Positional()[0], adminPin, newPin);
    OPENSSL_cleanse(adminPin.data(), adminPin.size());
    OPENSSL_cleanse(newPin.data(), newPin.size());
}

const std::map<std::string, Command>& Commands() {
    static const std::map<std::string, Command> commands = {
        {"list",
         [](int argc, char** argv) {
             Args(argc, argv, 2, {}, {}).Expect(0, "list");
             for (const auto& reader : World().Readers()) {
                 std::cout << reader.name << '\t' << (reader.token ? reader.token->label : "-")
                           << '\n';
             }
         }},
        {"tokens",
         [](int argc, char** argv) {
             Args(argc, argv, 2, {}, {}).Expect(0, "tokens");
             for (const auto& token : World().Tokens()) {
                 std::cout << token.label << '\n';
             }
         }},
        {"add-reader",
         [](int argc, char** argv) {
             Args args(argc, argv, 2, {}, {});
             args.Expect(1, "add-reader READER");
             World().AddReader(Utf8Field(args.Positional()[0], "the reader name"));
         }},
        {"delete-reader",
         [](int argc, char** argv) {
             Args args(argc, argv, 2, {}, {});
             args.Expect(1, "delete-reader READER");
             World().DeleteReader(args.Positional()[0]);
         }},
        {"insert",
         [](int argc, char** argv) {
             Args args(argc, argv, 2, {}, {});
             args.Expect(2, "insert READER LABEL");
             World().Insert(args.Positional()[0], args.Positional()[1]);
         }},
        {"remove",
         [](int argc, char** argv) {
             Args args(argc, argv, 2, {}, {});
             args.Expect(1, "remove READER");
             World().Remove(args.Positional()[0]);
         }},
        {"make-token", MakeToken},
        {"delete-token",
         [](int argc, char** argv) {
             Args args(argc, argv, 2, {}, {});
             args.Expect(1, "delete-token LABEL");
             World().DeleteToken(args.Positional()[0]);
         }},
        {"show",
         [](int argc, char** argv) {
             Args args(argc, argv, 2, {}, {});
             args.Expect(1, "show LABEL");
             TokenAdmin(World()).Show(args.Positional()[0], std::cout);
         }},
        {"change-pin", ChangePin},
        {"unblock", Unblock},
        {"add-container", AddContainer},
        {"delete-container", DeleteContainer},
        {"import-pfx", ImportPfx},
        {"demo",
         [](int argc, char** argv) {
             Args args(argc, argv, 2, {}, {"force"});
             args.Expect(0, "demo [--force]");
             BuildDemo(World(), args.Flag("force"), std::cout);
         }},
    };
    return commands;
}

}  // namespace

int main(int argc, char** argv) {
    if (IsVersionRequest(argc, argv)) {
        PrintProgramVersion("vktoken");
        return 0;
    }
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "help") == 0) {
        std::cout << kHelp;
        return argc < 2 ? 2 : 0;
    }
    auto it = Commands().find(argv[1]);
    if (it == Commands().end()) {
        std::cerr << "vktoken: unknown command " << argv[1] << " (see vktoken --help)\n";
        return 2;
    }
    try {
        it->second(argc, argv);
        return 0;
    } catch (const UsageError& e) {
        std::cerr << "vktoken: " << e.what() << '\n';
        return 2;
    } catch (const std::exception& e) {
        std::cerr << "vktoken: " << e.what() << '\n';
        return 1;
    }
}
