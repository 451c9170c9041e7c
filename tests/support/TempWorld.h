// A world of its own for one test: XDG_CONFIG_HOME, XDG_DATA_HOME,
// XDG_RUNTIME_DIR, XDG_CACHE_HOME and TMPDIR point into a fresh temporary
// folder, removed with everything in it when the world is destroyed (the
// previous values come back then). Child processes started afterwards inherit
// the same world.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace vktest {

class TempWorld {
public:
    TempWorld();
    ~TempWorld();
    TempWorld(const TempWorld&) = delete;
    TempWorld& operator=(const TempWorld&) = delete;

    const std::filesystem::path& Root() const { return m_root; }
    std::filesystem::path ConfigHome() const { return m_root / "config"; }
    std::filesystem::path DataHome() const { return m_root / "data"; }
    std::filesystem::path RuntimeDir() const { return m_root / "runtime"; }

private:
    std::filesystem::path m_root;
    std::vector<std::pair<std::string, std::optional<std::string>>> m_saved;
};

// The folder of committed test files (tests/data).
std::filesystem::path TestDataDir();
// The build folder, for programs built beside the tests and for pictures written by tests.
std::filesystem::path BinaryDir();

}  // namespace vktest
