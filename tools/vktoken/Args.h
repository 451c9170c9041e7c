// Command-line words of one vktoken command: positional words and
// "--name value" / "--flag" options, each option known to the command.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class Args {
public:
    // valued: options that take a value; flags: options that do not.
    Args(int argc, char** argv, int first, const std::set<std::string>& valued,
         const std::set<std::string>& flags);

    const std::vector<std::string>& Positional() const { return m_positional; }
    // The positional words must be exactly count.
    void Expect(std::size_t count, const char* usage) const;
    bool Flag(const std::string& name) const { return m_flags.count(name) != 0; }
    std::optional<std::string> Value(const std::string& name) const;
    // A whole number within [min, max]; the default when absent. Accepts 0x hex.
    std::uint64_t Number(const std::string& name, std::uint64_t fallback, std::uint64_t min,
                         std::uint64_t max) const;

private:
    std::vector<std::string> m_positional;
    std::map<std::string, std::string> m_values;
    std::set<std::string> m_flags;
};

// A PIN (option "pin", "admin-pin", "new-pin") or password ("password"): from --OPTION (seen by
// every user in the process list: for throwaway demo tokens only), from the next line of standard
// input with
// --OPTION-stdin, or else typed without echo when standard input is a terminal (a new PIN twice).
// With neither and no terminal, a UsageError names the -stdin form; when not required, that
// case answers the empty text instead.
std::string ReadPin(const Args& args, const char* option = "pin", bool required = true);
