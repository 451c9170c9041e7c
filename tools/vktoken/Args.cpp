#include "Args.h"

#include <iostream>

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

std::string ReadPin(const Args& args, const char* option) {
    if (auto pin = args.Value(option)) {
        return *pin;
    }
    if (args.Flag(std::string(option) + "-stdin")) {
        std::string line;
        std::getline(std::cin, line);
        while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) {
            line.pop_back();
        }
        return line;
    }
    throw UsageError(std::string("give the PIN with --") + option + " or --" + option + "-stdin");
}
