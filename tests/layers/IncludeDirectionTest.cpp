// Every #include of src/ against the layers of README's "Layout": a file's layer is its folder,
// and each layer may include itself and the layers listed beside it, nothing above. Qt only
// where the table allows it. A wrong direction is reported with the file and the include.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <optional>
#include <regex>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Layer {
    std::string_view folder;
    bool qt;
    std::vector<std::string_view> mayInclude;  // folder prefixes besides its own
};

// Lowest first. "program" stands for every program/ folder, "gui" for every gui/ folder;
// "res" is the resource ids and the embedded resources.
const std::array<Layer, 15> kLayers{{
    {"platform", false, {}},
    {"desktop", true, {"platform"}},
    {"program/core", false, {"platform"}},
    {"program/app", false, {"program/core", "platform", "res"}},
    {"program/token", false, {"program/app", "program/core", "platform", "res"}},
    {"program/ui", false, {"program/token", "program/app", "program/core", "platform", "res"}},
    {"program/ops",
     false,
     {"program/ui", "program/token", "program/app", "program/core", "platform", "res"}},
    {"program/tree",
     false,
     {"program/ops", "program/ui", "program/token", "program/app", "program/core", "platform",
      "res"}},
    {"gui/resources", true, {"program", "desktop", "platform", "res"}},
    {"gui/help", true, {"program", "desktop", "platform", "res"}},
    {"gui/widgets", true, {"gui/resources", "gui/help", "program", "desktop", "platform", "res"}},
    {"gui/tree",
     true,
     {"gui/widgets", "gui/resources", "gui/help", "program", "desktop", "platform", "res"}},
    {"gui/ops",
     true,
     {"gui/widgets", "gui/resources", "gui/help", "program", "desktop", "platform", "res"}},
    {"gui/ui",
     true,
     {"gui/ops", "gui/tree", "gui/widgets", "gui/resources", "gui/help", "program", "desktop",
      "platform", "res"}},
    {"gui/app", true, {"gui", "program", "desktop", "platform", "res"}},
}};

bool UnderFolder(std::string_view path, std::string_view folder) {
    return path.size() > folder.size() && path.starts_with(folder) && path[folder.size()] == '/';
}

const Layer* LayerOf(std::string_view path) {
    const Layer* found = nullptr;
    for (const Layer& layer : kLayers) {
        if (UnderFolder(path, layer.folder) &&
            (!found || layer.folder.size() > found->folder.size())) {
            found = &layer;
        }
    }
    return found;
}

bool IsQt(std::string_view header) {
    return header.starts_with("Q") || header.starts_with("qt") || header.starts_with("Qt");
}

// Why `file` (a path below src/) may not include `header`; nothing when it may.
std::optional<std::string> Violation(std::string_view file, std::string_view header, bool angled) {
    const Layer* layer = LayerOf(file);
    const auto under = [header](std::string_view folder) { return UnderFolder(header, folder); };
    if (!layer) {
        return "a file outside every layer";
    } else if (angled) {
        return IsQt(header) && !layer->qt ? "Qt below the UI seam" : std::optional<std::string>();
    } else if (under(layer->folder) || std::ranges::any_of(layer->mayInclude, under)) {
        return std::nullopt;
    }
    return "points up or sideways";
}

TEST(IncludeDirection, EverySourceIncludeFollowsTheLayers) {
    const fs::path root = fs::path(VK_SOURCE_DIR) / "src";
    static const std::regex kInclude(R"(^\s*#\s*include\s*([<"])([^>"]+)[>"])");
    int includes = 0;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file()) {
            continue;
        }
        const std::string file = fs::relative(entry.path(), root).generic_string();
        std::ifstream in(entry.path());
        std::smatch m;
        for (std::string line; std::getline(in, line);) {
            if (std::regex_search(line, m, kInclude)) {
                ++includes;
                if (auto why = Violation(file, m[2].str(), m[1] == "<")) {
                    ADD_FAILURE() << file << " includes " << m[2] << ": " << *why;
                }
            }
        }
    }
    ASSERT_GT(includes, 1000) << "the source tree was not found under " VK_SOURCE_DIR;
}

TEST(IncludeDirection, TheRulesRejectEachForbiddenKind) {
    // File, header, angled, allowed.
    const std::tuple<const char*, const char*, bool, bool> cases[] = {
        {"platform/cert/A.cpp", "platform/errors/WinError.h", false, true},
        {"platform/cert/A.cpp", "program/core/X.h", false, false},
        {"platform/cert/A.cpp", "desktop/X.h", false, false},
        {"platform/cert/A.cpp", "QString", true, false},
        {"program/tree/A.cpp", "program/ui/IFrame.h", false, true},
        {"program/ui/A.cpp", "program/tree/ITreeItemInfo.h", false, false},
        {"program/core/A.cpp", "program/token/X.h", false, false},
        {"program/ops/A.cpp", "gui/ui/frame/X.h", false, false},
        {"program/token/A.cpp", "QObject", true, false},
        {"program/token/A.cpp", "openssl/evp.h", true, true},
        {"desktop/A.cpp", "program/app/X.h", false, false},
        {"gui/widgets/A.cpp", "gui/resources/DialogFont.h", false, true},
        {"gui/widgets/A.cpp", "gui/app/X.h", false, false},
        {"gui/resources/A.cpp", "gui/widgets/X.h", false, false},
        {"gui/app/A.cpp", "gui/ui/frame/CMainFrame.h", false, true},
        {"tools/A.cpp", "platform/X.h", false, false},
    };
    for (const auto& [file, header, angled, allowed] : cases) {
        EXPECT_EQ(!Violation(file, header, angled).has_value(), allowed)
            << file << " -> " << header;
    }
}

}  // namespace
