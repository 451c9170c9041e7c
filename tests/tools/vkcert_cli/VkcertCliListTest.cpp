// vkcert-cli list over worlds made by the real vktoken: the tree against what `vktoken list` and
// `show` report, --flat, an unreadable token, an empty world, an unreadable reader list, nothing
// written. The nodes and the listing's order are tested in tests/program/tree.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>

#include "CliRun.h"
#include "platform/token/TokenWorld.h"
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
    std::vector<std::string> readers = Lines(Vktoken({"list"}).out);  // "reader<TAB>token or -"
    std::sort(readers.begin(), readers.end());
    std::vector<Node> nodes;
    for (const std::string& line : readers) {
        const std::string reader = Split(line, '\t').at(0), token = Split(line, '\t').at(1);
        nodes.push_back({0, (token == "-" ? "<Unnamed>" : token) + " [" + reader + "] ", reader});
        // Containers by name, each with its keys; the key nodes sort by their path too.
        std::map<std::string, std::vector<Node>> containers;
        std::string container;
        for (const std::string& shown : Lines(token == "-" ? "" : Vktoken({"show", token}).out)) {
            const auto fields = Split(shown, '\t');
            if (fields.at(0) == "container") {
                containers[container = fields.at(1)];
            } else if (fields.at(0) == "  key") {
                const std::string kind = fields.at(1) == "exchange" ? "Exchange" : "Signature";
                containers[container].push_back({flat ? 1 : 2,
                                                 "(" + kind + " Key, " + fields.at(2) + ")",
                                                 reader + "\\" + container + "\\" + kind});
            }
        }
        for (auto& [name, keys] : containers) {
            if (!flat) {
                nodes.push_back({1, name, reader + "\\" + name});
            }
            std::ranges::sort(keys, {}, &Node::path);
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
        EXPECT_TRUE(actual[i].label.ends_with(expected[i].label)) << actual[i].label;
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
    // UTF-8 names of certificates come through as they are.
    EXPECT_NE(plain.out.find("\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD\xD0\xBE\xD0\xB2"),  // Иванов
              std::string::npos);

    EXPECT_TRUE(IsEmptyDir(m_world.ConfigHome())) << "no settings, no language written";

    // --flat puts keys directly under their token.
    const Result flat = List({"--flat", "--paths"});
    ASSERT_EQ(flat.exitCode, 0);
    ExpectSameTree(Parse(flat.out), Expected(true));

    // A reader whose token cannot be read keeps its line, without children.
    vkstore::TokenWorld world;
    const std::string damaged =
        world.TokenFile(world.FindToken("Velkora Mini Demo")->uuid).string();
    fs::remove(damaged + "-wal");
    fs::remove(damaged + "-shm");
    std::ofstream(damaged, std::ios::trunc) << std::string(200, 'x');
    const Result r = List();
    EXPECT_EQ(r.exitCode, 0);
    const std::vector<std::string> lines = Lines(r.out);
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2], "<Unnamed> [Velkora USB Reader 1] ") << r.out;
    EXPECT_EQ(lines.back(), "<Unnamed> [Velkora USB Reader 2] ");
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
}

}  // namespace
