#include "support/TempWorld.h"

#include <cstdlib>
#include <stdexcept>
#include <system_error>

namespace vktest {

TempWorld::TempWorld() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vktest-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
        throw std::runtime_error("mkdtemp failed");
    }
    m_root = pattern;
    const std::pair<const char*, const char*> dirs[] = {{"XDG_CONFIG_HOME", "config"},
                                                        {"XDG_DATA_HOME", "data"},
                                                        {"XDG_RUNTIME_DIR", "runtime"},
                                                        {"XDG_CACHE_HOME", "cache"},
                                                        {"TMPDIR", "tmp"}};
    for (const auto& [var, sub] : dirs) {
        const char* old = std::getenv(var);
        m_saved.emplace_back(var, old ? std::optional<std::string>(old) : std::nullopt);
        auto dir = m_root / sub;
        std::filesystem::create_directories(dir);
        std::filesystem::permissions(dir, std::filesystem::perms::owner_all);
        setenv(var, dir.c_str(), 1);
    }
}

TempWorld::~TempWorld() {
    for (const auto& [var, value] : m_saved) {
        if (value) {
            setenv(var.c_str(), value->c_str(), 1);
        } else {
            unsetenv(var.c_str());
        }
    }
    std::error_code ec;
    std::filesystem::remove_all(m_root, ec);
}

std::filesystem::path TestDataDir() {
    const char* dir = std::getenv("VK_TEST_DATA");
    return dir ? dir : VK_SOURCE_DIR "/tests/data";
}

std::filesystem::path BinaryDir() {
    const char* dir = std::getenv("VK_BINARY_DIR");
    return dir ? dir : VK_BINARY_DIR_DEFAULT;
}

}  // namespace vktest
