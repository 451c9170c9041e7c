// Runs a command-line program as a script would: standard input from a text or /dev/null,
// away from any terminal (setsid), standard output and standard error kept apart; and splits
// what it printed.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "support/ChildProcess.h"

namespace clitest {

struct Result {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// `env` holds extra NAME=value assignments; `dir` takes the files of standard input and error.
inline Result Run(const std::filesystem::path& dir, const std::string& program,
                  const std::vector<std::string>& args, const std::string* stdinText = nullptr,
                  const std::vector<std::string>& env = {}) {
    const std::filesystem::path in = dir / "stdin";
    const std::filesystem::path err = dir / "stderr";
    if (stdinText != nullptr) {
        std::ofstream(in, std::ios::binary | std::ios::trunc) << *stdinText;
    }
    std::vector<std::string> argv = {
        "sh",
        "-c",
        "in=$1; err=$2; shift 2; exec setsid env \"$@\" <\"$in\" 2>\"$err\"",
        "sh",
        stdinText != nullptr ? in.string() : "/dev/null",
        err.string()};
    argv.insert(argv.end(), env.begin(), env.end());
    argv.push_back(program);
    argv.insert(argv.end(), args.begin(), args.end());
    auto child = vktest::ChildProcess::Exec(argv, true);
    Result r;
    r.out = child.ReadAll();
    r.exitCode = child.Wait();
    std::ifstream e(err, std::ios::binary);
    r.err.assign(std::istreambuf_iterator<char>(e), std::istreambuf_iterator<char>());
    return r;
}

// The parts of text between separators (lines without their line end).
inline std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::istringstream in(text);
    for (std::string part; std::getline(in, part, separator);) {
        parts.push_back(part);
    }
    return parts;
}

inline std::vector<std::string> Lines(const std::string& text) {
    return Split(text, '\n');
}

}  // namespace clitest
