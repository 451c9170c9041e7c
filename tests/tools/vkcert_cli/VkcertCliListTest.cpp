// `vkcert-cli list` as scripts use it, over worlds made by the real vktoken program: the tree
// checked against what `vktoken list` and `vktoken show` report (every reader, container and
// key, in the tree's order, with labels and paths), --flat, a token that cannot be read, an
// empty world, an unreadable reader list, and that nothing is written. The nodes and the
// listing's order are tested in tests/program/tree.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "CliRun.h"
#include "support/TempWorld.h"

namespace {

namespace fs = std::filesystem;
using clitest::Lines;
using clitest::Result;
using clitest::Split;

// One line of the listing: indent, label and path.
struct Node {
    int depth = 0;
    std::string label;
    std::string path;
};

std::vector<Node> Parse(const std::string& out) {
    std::vector<Node> nodes;
    for (const std::string& line : Lines(out)) {
        const std::size_t indent = line.find_first_not_of(' ');
        EXPECT_EQ(indent % 2, 0u) << line;
        const auto tab = line.find('\t');
        EXPECT_NE(tab, std::string::npos) << line;
        nodes.push_back(Node{static_cast<int>(indent / 2), line.substr(indent, tab - indent),
                             line.substr(tab + 1)});
    }
    return nodes;
}

class VkcertCliListTest : public ::testing::Test {
protected:
    Result List(std::vector<std::string> args = {}) {
        args.insert(args.begin(), "list");
        return clitest::Run(m_world.Root(), VKCERT_CLI, args);
    }
    Result Vktoken(const std::vector<std::string>& args) {
        return clitest::Run(m_world.Root(), VKTOKEN, args);
    }
    // What vktoken reports, as the tree should show it.
    std::vector<Node> Expected(bool flat);

    vktest::TempWorld m_world;
};

std::vector<Node> VkcertCliListTest::Expected(bool flat) {
    std::vector<Node> readers;
    for (const std::string& line : Lines(Vktoken({"list"}).out)) {
        const auto fields = Split(line, '\t');
        readers.push_back(Node{0, fields.at(1) == "-" ? "<Unnamed>" : fields.at(1), fields.at(0)});
    }
    std::sort(readers.begin(), readers.end(),
              [](const Node& a, const Node& b) { return a.path < b.path; });
    std::vector<Node> nodes;
    for (const Node& reader : readers) {
        nodes.push_back(Node{0, reader.label + " [" + reader.path + "] ", reader.path});
        if (reader.label == "<Unnamed>") {
            continue;
        }
        std::vector<std::pair<std::string, std::vector<Node>>> containers;
        for (const std::string& line : Lines(Vktoken({"show", reader.label}).out)) {
            const auto fields = Split(line, '\t');
            if (fields.at(0) == "container") {
                containers.push_back({fields.at(1), {}});
            } else if (fields.at(0) == "  key") {
                const bool exchange = fields.at(1) == "exchange";
                const std::string path = reader.path + "\\" + containers.back().first + "\\" +
                                         (exchange ? "Exchange" : "Signature");
                const std::string label = std::string("(") +
                                          (exchange ? "Exchange Key, " : "Signature Key, ") +
                                          fields.at(2) + ")";
                containers.back().second.push_back(Node{flat ? 1 : 2, label, path});
            }
        }
        std::sort(containers.begin(), containers.end(),
                  [](const auto& a, const auto& b) { return a.first < b.first; });
        for (auto& [name, keys] : containers) {
            if (!flat) {
                nodes.push_back(Node{1, name, reader.path + "\\" + name});
            }
            std::sort(keys.begin(), keys.end(),
                      [](const Node& a, const Node& b) { return a.path < b.path; });
            nodes.insert(nodes.end(), keys.begin(), keys.end());
        }
    }
    return nodes;
}

// Keys are compared by the end of their label: the certificate's name before it is tested with
// the nodes.
void ExpectSameTree(const std::vector<Node>& actual, const std::vector<Node>& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < actual.size(); ++i) {
        EXPECT_EQ(actual[i].depth, expected[i].depth) << expected[i].path;
        EXPECT_EQ(actual[i].path, expected[i].path);
        const std::string& label = actual[i].label;
        const std::string& tail = expected[i].label;
        ASSERT_GE(label.size(), tail.size()) << label;
        EXPECT_EQ(label.substr(label.size() - tail.size()), tail);
    }
}

bool IsEmptyDir(const fs::path& dir) {
    return !fs::exists(dir) || fs::is_empty(dir);
}

TEST_F(VkcertCliListTest, TheDemoWorldShowsEveryReaderContainerAndKey) {
    ASSERT_EQ(Vktoken({"demo"}).exitCode, 0);
    const Result paths = List({"--paths"});
    ASSERT_EQ(paths.exitCode, 0);
    ExpectSameTree(Parse(paths.out), Expected(false));

    // Without --paths: the same labels, indented, nothing after them.
    const Result plain = List();
    ASSERT_EQ(plain.exitCode, 0);
    std::vector<std::string> stripped;
    for (const std::string& line : Lines(paths.out)) {
        stripped.push_back(line.substr(0, line.find('\t')));
    }
    EXPECT_EQ(Lines(plain.out), stripped);
    EXPECT_EQ(Lines(plain.out).front(), "Velkora Pro Demo [Velkora USB Reader 0] ");
    EXPECT_EQ(Lines(plain.out).back(), "<Unnamed> [Velkora USB Reader 2] ");
    // UTF-8 names of certificates come through as they are.
    EXPECT_NE(plain.out.find("\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD\xD0\xBE\xD0\xB2"),  // Иванов
              std::string::npos);

    EXPECT_TRUE(IsEmptyDir(m_world.ConfigHome())) << "no settings, no language written";

    // --flat puts keys directly under their token.
    const Result flat = List({"--flat", "--paths"});
    ASSERT_EQ(flat.exitCode, 0);
    ExpectSameTree(Parse(flat.out), Expected(true));

    // A reader whose token cannot be read keeps its line, without children.
    fs::path damaged;
    for (const auto& entry : fs::directory_iterator(m_world.DataHome() / "vkcert" / "tokens")) {
        if (entry.path().extension() == ".db" && entry.path().filename() != "world.db") {
            damaged = entry.path();
        }
    }
    ASSERT_FALSE(damaged.empty());
    fs::remove(damaged.string() + "-wal");
    fs::remove(damaged.string() + "-shm");
    std::ofstream(damaged, std::ios::trunc) << std::string(200, 'x');
    const Result r = List({"--paths"});
    EXPECT_EQ(r.exitCode, 0);
    const auto nodes = Parse(r.out);
    int readers = 0;
    int unreadable = 0;
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        readers += nodes[i].depth == 0 ? 1 : 0;
        if (nodes[i].depth == 0 && nodes[i].label == "<Unnamed> [" + nodes[i].path + "] ") {
            ++unreadable;
            EXPECT_TRUE(i + 1 == nodes.size() || nodes[i + 1].depth == 0) << "no children";
        }
    }
    EXPECT_EQ(readers, 3);
    EXPECT_EQ(unreadable, 2) << "the damaged token's reader and the empty reader\n" << r.out;
}

TEST_F(VkcertCliListTest, NoStoreAnUnreadableReaderListAndBadArguments) {
    Result r = List();
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(IsEmptyDir(m_world.DataHome())) << "no store is created";
    EXPECT_TRUE(IsEmptyDir(m_world.ConfigHome()));

    const fs::path tokens = m_world.DataHome() / "vkcert" / "tokens";
    fs::create_directories(tokens);
    std::ofstream(tokens / "world.db") << "this is not a database, not even close to one\n";
    r = List();
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "");

    EXPECT_EQ(List({"--tree"}).exitCode, 1);
    r = List({"--help"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_NE(r.out.find("--flat"), std::string::npos);
    EXPECT_NE(clitest::Run(m_world.Root(), VKCERT_CLI, {"--help"}).out.find("  list"),
              std::string::npos);
}

}  // namespace
