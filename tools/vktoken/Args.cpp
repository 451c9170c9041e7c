#include "Args.h"

#include <openssl/crypto.h>
#include <unistd.h>

#include <iostream>

#include "PasswordInput.h"

Args::Args(int argc, char** argv, int first, const std::set<std::string>& valued,
           const std::set<std::string>& flags) {
    for (int i = first; i < argc; ++i) {
        std::string word = argv[i];
        if (word.rfind("--", 0) != 0 || word == "--") {
            m_positional.push_back(word);
            continue;
        }
        std::string name = word.substr(2);
        if (flags.count(name)) {
            m_flags.insert(name);
        } else if (valued.count(name)) {
            if (i + 1 >= argc) {
                throw UsageError("option --" + name + " needs a value");
            }
            m_values[name] = argv[++i];
        } else {
            throw UsageError("unknown option " + word);
        }
    }
}

void Args::Expect(std::size_t count, const char* usage) const {
    if (m_positional.size() != count) {
        throw UsageError(std::string("usage: vktoken ") + usage);
    }
}

std::optional<std::string> Args::Value(const std::string& name) const {
    auto it = m_values.find(name);
    if (it == m_values.end()) {
        return std::nullopt;
    }
    return it->second;
}

std::uint64_t Args::Number(const std::string& name, std::uint64_t fallback, std::uint64_t min,
                           std::uint64_t max) const {
    auto text = Value(name);
    if (!text) {
        return fallback;
    }
    std::size_t used = 0;
    std::uint64_t value = 0;
    try {
        value = std::stoull(*text, &used, 0);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used == 0 || used != text->size() || (*text)[0] == '-' || value < min || value > max) {
        throw UsageError("--" + name + " takes a number from " + std::to_string(min) + " to " +
                         std::to_string(max));
    }
    return value;
}

namespace {

// A line typed on the terminal without echo.
std::string Typed(const char* prompt) {
    auto line = vkcli::ReadPasswordFromTerminal(prompt);
    if (!line) {
        throw std::runtime_error("cannot read from the terminal");
    }
    return std::string(line->begin(), line->end());
}

}  // namespace

std::string ReadPin(const Args& args, const char* option, bool required) {
    if (auto pin = args.Value(option)) {
        return *pin;
    }
    const std::string name = option;
    if (args.Flag(name + "-stdin")) {
        std::string line;
        std::getline(std::cin, line);
        while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) {
            line.pop_back();
        }
        return line;
    }
    const bool password = name == "password";
    if (::isatty(STDIN_FILENO) == 1) {
        if (password) {
            return Typed("PFX password: ");
        }
        if (name == "admin-pin") {
            return Typed("Administrator PIN: ");
        }
        if (name != "new-pin") {
            return Typed("PIN: ");
        }
        std::string pin = Typed("New PIN: ");
        std::string again = Typed("New PIN again: ");
        const bool same = pin == again;
        OPENSSL_cleanse(again.data(), again.size());
        if (!same) {
            OPENSSL_cleanse(pin.data(), pin.size());
            throw std::runtime_error("the new PINs typed differ; nothing changed");
        }
        return pin;
    }
    if (!required) {
        return {};
    }
    throw UsageError(std::string("give the ") + (password ? "password" : "PIN") +
                     " as one line of standard input with --" + name +
                     "-stdin, or type it on a terminal");
}
