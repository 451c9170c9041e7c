// res/resource.h is the one home of the resource ids: no source of src/, tools/, bench/, fuzz/ or
// tests/ declares a constant or macro with a name that looks like an id (LooksLikeId) and the
// number of an id of res/resource.h. tests/data, other programs' resources, is left out.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const fs::path kResourceH = VK_RESOURCE_H;
const fs::path kRoot = kResourceH.parent_path().parent_path();

// Number -> the names res/resource.h gives it.
std::map<unsigned long, std::string> ResourceIds() {
    std::map<unsigned long, std::string> ids;
    std::ifstream in(kResourceH);
    const std::regex define(R"(^\s*#\s*define\s+(\w+)\s+(\d+)\s*(//.*)?$)");
    std::smatch m;
    for (std::string line; std::getline(in, line);) {
        if (std::regex_match(line, m, define)) {
            std::string& names = ids[std::stoul(m[2].str())];
            names += (names.empty() ? "" : ", ") + m[1].str();
        }
    }
    return ids;
}

bool LooksLikeId(const std::string& name) {
    static const std::regex pattern(
        R"(k(Ids|Idd|Idc|Idi|Idb|Idr|Cmd|Menu|Str|Icon|Image)[A-Z0-9_]\w*|kId([A-Z0-9_]\w*)?)"
        R"(|k\w*(Id|Ids|Dialog|Template|Control|Menu)|(AFX_)?ID[A-Z]*_\w+)");
    return std::regex_match(name, pattern);
}

// The line without its string and character literals and comments.
std::string CodeOnly(std::string line, bool& inBlockComment) {
    static const std::regex literalOrComment(R"("(\\.|[^"\\])*"|'(\\.|[^'\\])*'|//.*|/\*.*?\*/)");
    if (inBlockComment) {
        const auto end = line.find("*/");
        inBlockComment = end == std::string::npos;
        line.erase(0, inBlockComment ? line.size() : end + 2);
    }
    line = std::regex_replace(line, literalOrComment, " ");
    if (const auto open = line.find("/*"); open != std::string::npos) {
        line.erase(open);
        inBlockComment = true;
    }
    return line;
}

using Declaration = std::pair<std::string, unsigned long>;  // name, number

// Declarations of a name with a number in one line of code: constants (constexpr or const,
// "= n" or "{n}"), macros, and enumerators or members "Name = n," at the start of the line.
std::vector<Declaration> NumberDeclarations(const std::string& code) {
    static const std::regex constant(
        R"(\b(?:constexpr|const)\s+[\w:<>, ]*?\b(\w+)\s*(?:=\s*|\{\s*)(0[xX][0-9a-fA-F]+|\d+)[uUlL]*\s*[;},])");
    static const std::regex macro(
        R"(^\s*#\s*define\s+(\w+)\s+\(?\s*(0[xX][0-9a-fA-F]+|\d+)[uUlL]*)");
    static const std::regex enumerator(
        R"(^\s*(\w+)\s*=\s*(0[xX][0-9a-fA-F]+|\d+)[uUlL]*\s*,?\s*$)");
    std::vector<Declaration> found;
    for (const std::regex* re : {&constant, &macro, &enumerator}) {
        for (std::sregex_iterator it(code.begin(), code.end(), *re), end; it != end; ++it) {
            found.push_back({(*it)[1].str(), std::stoul((*it)[2].str(), nullptr, 0)});
        }
    }
    return found;
}

std::vector<std::string> Offences(const std::vector<std::string>& lines,
                                  const std::map<unsigned long, std::string>& ids,
                                  const std::string& where) {
    std::vector<std::string> offences;
    bool inBlockComment = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        for (const Declaration& d : NumberDeclarations(CodeOnly(lines[i], inBlockComment))) {
            const auto id = ids.find(d.second);
            if (id != ids.end() && LooksLikeId(d.first)) {
                offences.push_back(where + ":" + std::to_string(i + 1) + ": " + d.first + " = " +
                                   std::to_string(d.second) + " (res/resource.h: " + id->second +
                                   ")");
            }
        }
    }
    return offences;
}

TEST(ResourceIdHome, TheScanFindsIdDeclarationsAndLeavesOtherNumbersAlone) {
    const std::map<unsigned long, std::string> ids = {
        {190, "ID_ACTIONS_EXPORT_CERT"}, {222, "IDD_TREE_VIEW"},
        {250, "IDS_MODEL_MINI"},         {1064, "IDC_TREE"},
        {129, "IDS_VALID_FROM"},         {32775, "ID_ACTIONS_ADD_TO_STORE"}};
    const std::vector<std::string> planted = {
        "constexpr UINT kCmdExport = 190;",
        "    static constexpr unsigned kTemplateId = 222;",
        "inline constexpr UINT kTreeControlId{1064};",
        "#define IDS_VALID_FROM 129",
        "    kCmdAddToStore = 0x8007,",
        "constexpr UINT kId = 129u;",
    };
    EXPECT_EQ(Offences(planted, ids, "x").size(), planted.size());

    const std::vector<std::string> innocent = {
        "constexpr int kIdleUpdateMs = 250;",      // not an id's name
        "constexpr UINT kCmdUnknown = 4242;",      // not an id's number
        "constexpr DWORD kIdOk = 1;",              // not an id's number
        "// constexpr UINT kCmdExport = 190;",     // a comment
        "/* constexpr UINT kCmdExport = 190; */",  // a comment
        "/* a comment of lines:",
        "    kCmdExport = 190,",
        "*/",
        "Write(\"constexpr UINT kCmdExport = 190;\");",  // a string
        "    if (id == kCmdExport) { return 190; }",     // a use
    };
    EXPECT_EQ(Offences(innocent, ids, "x"), std::vector<std::string>());
}

TEST(ResourceIdHome, NoSourceDeclaresAResourceIdOfItsOwn) {
    const std::map<unsigned long, std::string> ids = ResourceIds();
    ASSERT_GT(ids.size(), 150u) << kResourceH;

    std::vector<std::string> offences;
    std::size_t files = 0;
    for (const char* tree : {"src", "tools", "bench", "fuzz", "tests"}) {
        if (!fs::is_directory(kRoot / tree)) {
            continue;
        }
        for (const auto& entry : fs::recursive_directory_iterator(kRoot / tree)) {
            const std::string ext = entry.path().extension().string();
            const std::string relative = fs::relative(entry.path(), kRoot).generic_string();
            if (!entry.is_regular_file() || (ext != ".cpp" && ext != ".h" && ext != ".hpp") ||
                relative.starts_with("tests/data/")) {
                continue;
            }
            std::ifstream in(entry.path());
            std::vector<std::string> lines;
            for (std::string line; std::getline(in, line);) {
                lines.push_back(line);
            }
            ++files;
            std::ranges::move(Offences(lines, ids, relative), std::back_inserter(offences));
        }
    }
    ASSERT_GT(files, 200u) << kRoot;
    EXPECT_EQ(offences, std::vector<std::string>()) << "use the names of res/resource.h instead";
}

}  // namespace
