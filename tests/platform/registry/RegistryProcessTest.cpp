// The registry across real processes: writers at once keep every value, a writer killed at
// any moment leaves a whole hive, a damaged hive is read as far as it goes and kept aside, and
// what is no regular file of bearable size in the hive's place is damaged too.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>

#include <sys/resource.h>
#include <sys/stat.h>

#include "RegTestUtil.h"
#include "platform/registry/HiveStore.h"
#include "platform/registry/HiveText.h"
#include "support/ChildProcess.h"
#include "support/TempWorld.h"

using regtest::Get;
using regtest::Set;
using regtest::SzBytes;

namespace {

const wchar_t* const kKey = L"SOFTWARE\\Orvel\\Velkora\\vkCert\\Settings";

std::vector<BYTE> Dword(DWORD v) {
    return {reinterpret_cast<BYTE*>(&v), reinterpret_cast<BYTE*>(&v) + 4};
}

std::wstring Name(const std::string& prefix, int i) {
    return std::wstring(prefix.begin(), prefix.end()) + std::to_wstring(i);
}

std::vector<std::filesystem::path> FilesStartingWith(const std::filesystem::path& folder,
                                                     const std::string& prefix) {
    std::vector<std::filesystem::path> out;
    std::copy_if(std::filesystem::directory_iterator(folder), {}, std::back_inserter(out),
                 [&](const auto& e) { return e.path().filename().string().starts_with(prefix); });
    return out;
}

}  // namespace

// Writes "<prefix>0".."<prefix>N-1" = i under kKey, then exits.
VK_TEST_CHILD(write_values) {
    const int count = std::stoi(args.at(1));
    for (int i = 0; i < count; ++i) {
        if (Set(HKEY_CURRENT_USER, kKey, Name(args.at(0), i).c_str(), REG_DWORD, Dword(i)) !=
            ERROR_SUCCESS) {
            return 2;
        }
    }
    return 0;
}

// Rewrites "Counter" and a growing set of values for ever; the parent kills it.
VK_TEST_CHILD(write_forever) {
    std::printf("ready\n");
    std::fflush(stdout);
    for (DWORD i = 0;; ++i) {
        Set(HKEY_CURRENT_USER, kKey, L"Counter", REG_DWORD, Dword(i));
        Set(HKEY_CURRENT_USER, kKey, Name("v", static_cast<int>(i % 64)).c_str(), REG_BINARY,
            std::vector<BYTE>(i % 300, static_cast<BYTE>(i)));
    }
}

// Dies between writing the temporary file and renaming it.
VK_TEST_CHILD(die_before_rename) {
    SetHiveSaveHook([](HiveSaveStage stage) {
        if (stage == HiveSaveStage::TempWritten) {
            std::raise(SIGKILL);
        }
    });
    Set(HKEY_CURRENT_USER, kKey, L"Lost", REG_DWORD, Dword(7));
    return 1;
}

// Reads a value and writes one, each answer on a line. Memory is capped so that a read
// without bounds fails instead of eating the machine.
VK_TEST_CHILD(read_and_write) {
#ifndef VK_SANITIZED
    const rlimit cap{1u << 30, 1u << 30};
    setrlimit(RLIMIT_AS, &cap);
#endif
    std::vector<BYTE> got;
    std::printf("%ld\n", static_cast<long>(Get(HKEY_CURRENT_USER, kKey, L"Kept", got)));
    std::printf("%ld\n",
                static_cast<long>(Set(HKEY_CURRENT_USER, kKey, L"New", REG_DWORD, Dword(5))));
    return 0;
}

TEST(RegistryProcesses, WritersAtOnceKeepEveryValueAndAWriterKilledAtAnyMomentAWholeHive) {
    vktest::TempWorld world;
    ASSERT_EQ(Set(HKEY_CURRENT_USER, kKey, L"Anchor", REG_SZ, SzBytes(L"kept")), ERROR_SUCCESS);
    const auto path = HivePath(HiveId::CurrentUser);
    const auto temps = [&] {
        return FilesStartingWith(path.parent_path(), path.filename().string() + ".tmp");
    };

    // Death between writing the temporary file and the rename keeps the old hive byte for byte.
    const std::string before = regtest::ReadFile(path);
    EXPECT_EQ(vktest::ChildProcess("die_before_rename").Wait(), 128 + SIGKILL);
    EXPECT_EQ(regtest::ReadFile(path), before);
    ASSERT_EQ(temps().size(), 1u) << "the child got as far as its temporary file";
    EXPECT_NE(regtest::ReadFile(temps()[0]).find("\"Lost\""), std::string::npos);
    std::vector<BYTE> got;
    EXPECT_EQ(Get(HKEY_CURRENT_USER, kKey, L"Lost", got), ERROR_FILE_NOT_FOUND);

    // Two processes writing under one key while this one writes too keep every value.
    const int count = 150;
    vktest::ChildProcess a("write_values", {"a", std::to_string(count)});
    vktest::ChildProcess b("write_values", {"b", std::to_string(count)});
    for (int i = 0; i < count; ++i) {
        ASSERT_EQ(Set(HKEY_CURRENT_USER, kKey, Name("p", i).c_str(), REG_DWORD, Dword(i)),
                  ERROR_SUCCESS);
    }
    ASSERT_EQ(a.Wait(), 0);
    ASSERT_EQ(b.Wait(), 0);
    for (const char* prefix : {"a", "b", "p"}) {
        for (int i = 0; i < count; ++i) {
            ASSERT_EQ(Get(HKEY_CURRENT_USER, kKey, Name(prefix, i).c_str(), got), ERROR_SUCCESS)
                << prefix << i;
            EXPECT_EQ(got, Dword(i));
        }
    }
    EXPECT_EQ(Get(HKEY_CURRENT_USER, kKey, L"Anchor", got), ERROR_SUCCESS);

    DWORD lastCounter = 0;
    for (int round = 0; round < 12; ++round) {
        vktest::ChildProcess child("write_forever", {}, true);
        std::string line;
        ASSERT_TRUE(child.ReadLine(line));
        std::this_thread::sleep_for(std::chrono::milliseconds(20 + 17 * round));
        child.Kill(SIGKILL);
        child.Wait();

        ASSERT_FALSE(ParseHive(regtest::ReadFile(path), L"HKEY_CURRENT_USER").damaged) << round;
        ASSERT_EQ(Get(HKEY_CURRENT_USER, kKey, L"Anchor", got), ERROR_SUCCESS);
        EXPECT_EQ(got, SzBytes(L"kept"));
        if (Get(HKEY_CURRENT_USER, kKey, L"Counter", got) == ERROR_SUCCESS) {
            ASSERT_EQ(got.size(), 4u);
            lastCounter = got[0] | (got[1] << 8) | (got[2] << 16);
        }
    }
    EXPECT_GT(lastCounter, 0u) << "the writer never got to write";
    // The next write clears whatever temporary file a killed writer left.
    ASSERT_EQ(Set(HKEY_CURRENT_USER, kKey, L"After", REG_DWORD, Dword(1)), ERROR_SUCCESS);
    EXPECT_TRUE(temps().empty());
    EXPECT_EQ(Get(HKEY_CURRENT_USER, kKey, L"Lost", got), ERROR_FILE_NOT_FOUND);
}

TEST(RegistryProcesses, DamagedHivesAreReadAsFarAsTheyGoAndKeptAside) {
    vktest::TempWorld world;
    const auto folder = world.ConfigHome() / "vkcert";
    std::filesystem::create_directories(folder);
    const auto path = folder / "HKEY_CURRENT_USER.reg";
    const std::string damaged =
        "Windows Registry Editor Version 5.00\n\n"
        "[HKEY_CURRENT_USER\\SOFTWARE\\Orvel\\Velkora\\vkCert\\Settings]\n"
        "\"ToolBarVisible\"=\"N\"\n"
        "\"Broken\"=hex:zz,01\n"
        "garbage \x01\xFF line\n"
        "\"LeftPaneInfo\"=hex:fa,00,00,00,14,00,00,00\n"
        "[HKEY_CURRENT_USER\\Half\n"
        "\"Truncated\"=\"no end\n";
    std::ofstream(path, std::ios::binary) << damaged;

    std::vector<BYTE> got;
    ASSERT_EQ(Get(HKEY_CURRENT_USER, kKey, L"ToolBarVisible", got), ERROR_SUCCESS);
    EXPECT_EQ(got, SzBytes(L"N"));
    ASSERT_EQ(Get(HKEY_CURRENT_USER, kKey, L"LeftPaneInfo", got), ERROR_SUCCESS);
    EXPECT_EQ(got.size(), 8u);
    EXPECT_EQ(Get(HKEY_CURRENT_USER, kKey, L"Broken", got), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(regtest::ReadFile(path), damaged) << "reading never rewrites";

    ASSERT_EQ(Set(HKEY_CURRENT_USER, kKey, L"StatusBarVisible", REG_SZ, SzBytes(L"Y")),
              ERROR_SUCCESS);
    const auto kept = FilesStartingWith(folder, "HKEY_CURRENT_USER.reg.damaged-");
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(regtest::ReadFile(kept[0]), damaged);
    EXPECT_FALSE(ParseHive(regtest::ReadFile(path), L"HKEY_CURRENT_USER").damaged);
    EXPECT_EQ(Get(HKEY_CURRENT_USER, kKey, L"ToolBarVisible", got), ERROR_SUCCESS);
    EXPECT_EQ(Get(HKEY_CURRENT_USER, kKey, L"StatusBarVisible", got), ERROR_SUCCESS);

    // A clean hive is not copied again.
    ASSERT_EQ(Set(HKEY_CURRENT_USER, kKey, L"More", REG_DWORD, Dword(3)), ERROR_SUCCESS);
    EXPECT_EQ(FilesStartingWith(folder, "HKEY_CURRENT_USER.reg.damaged-").size(), 1u);

    // Binary garbage in place of a hive reads as empty and is kept aside as well.
    std::string garbage(5000, '\0');
    std::generate(garbage.begin(), garbage.end(), [i = 0]() mutable { return i++ * 7919 % 256; });
    std::ofstream(folder / "HKEY_LOCAL_MACHINE.reg", std::ios::binary) << garbage;
    const wchar_t* const language = L"Software\\Orvel\\Language";
    EXPECT_EQ(Get(HKEY_LOCAL_MACHINE, language, nullptr, got), ERROR_FILE_NOT_FOUND);
    ASSERT_EQ(Set(HKEY_LOCAL_MACHINE, language, nullptr, REG_SZ, SzBytes(L"NATIVE")),
              ERROR_SUCCESS);
    EXPECT_EQ(Get(HKEY_LOCAL_MACHINE, language, nullptr, got), ERROR_SUCCESS);
    EXPECT_EQ(FilesStartingWith(folder, "HKEY_LOCAL_MACHINE.reg.damaged-").size(), 1u);
}

TEST(RegistryProcesses, AFifoALinkToDevZeroAndAnOversizedHiveAreDamagedAndKeptAside) {
    namespace fs = std::filesystem;
    const std::string big = "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\" +
                            std::string("SOFTWARE\\Orvel\\Velkora\\vkCert\\Settings]\n") +
                            "\"Kept\"=\"" + std::string(17u << 20, 'x') + "\"\n";
    // The kind of file, where a link leads and the size: the same for the original kept aside.
    const auto identity = [](const fs::path& p) {
        const auto st = fs::symlink_status(p);
        return std::make_tuple(st.type(), fs::is_symlink(st) ? fs::read_symlink(p) : fs::path(),
                               fs::is_regular_file(st) ? fs::file_size(p) : 0);
    };
    const std::function<void(const fs::path&)> makers[] = {
        [](const fs::path& p) { ASSERT_EQ(mkfifo(p.c_str(), 0600), 0); },
        [](const fs::path& p) { fs::create_symlink("/dev/zero", p); },
        [&](const fs::path& p) { std::ofstream(p, std::ios::binary) << big; },
    };
    for (const auto& make : makers) {
        vktest::TempWorld world;
        const auto folder = world.ConfigHome() / "vkcert";
        fs::create_directories(folder);
        const auto path = folder / "HKEY_CURRENT_USER.reg";
        make(path);
        const auto original = identity(path);
        SCOPED_TRACE(static_cast<int>(std::get<0>(original)));

        vktest::ChildProcess child("read_and_write", {}, true);
        int code = -1;
        if (!child.WaitFor(20000, &code)) {
            child.Kill(SIGKILL);
            ADD_FAILURE() << "the hive was read without end";
            continue;
        }
        EXPECT_EQ(code, 0);
        EXPECT_EQ(child.ReadAll(), "2\n0\n") << "read as empty, then written";
        const auto kept = FilesStartingWith(folder, "HKEY_CURRENT_USER.reg.damaged-");
        ASSERT_EQ(kept.size(), 1u);
        EXPECT_EQ(identity(kept[0]), original) << "the original is kept aside";
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(path)));
        EXPECT_FALSE(ParseHive(regtest::ReadFile(path), L"HKEY_CURRENT_USER").damaged);
    }
}
