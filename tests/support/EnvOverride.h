// Environment variables set or unset for a while, the old values put back at the end.
#pragma once

#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace vktest {

class EnvOverride {
public:
    EnvOverride() = default;
    EnvOverride(const EnvOverride&) = delete;
    EnvOverride& operator=(const EnvOverride&) = delete;

    // A null value unsets the variable.
    void Set(const char* name, const char* value) {
        const char* old = std::getenv(name);
        m_saved.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
        Put(name, value);
    }
    ~EnvOverride() {
        for (auto it = m_saved.rbegin(); it != m_saved.rend(); ++it) {
            Put(it->first.c_str(), it->second ? it->second->c_str() : nullptr);
        }
    }

private:
    static void Put(const char* name, const char* value) {
        value ? setenv(name, value, 1) : unsetenv(name);
    }
    std::vector<std::pair<std::string, std::optional<std::string>>> m_saved;
};

}  // namespace vktest
