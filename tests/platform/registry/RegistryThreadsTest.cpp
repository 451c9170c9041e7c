// The registry from several threads of one process at once (run under
// ThreadSanitizer too), and a failing save that must reach the caller.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "RegTestUtil.h"
#include "platform/registry/HiveStore.h"
#include "support/TempWorld.h"

TEST(RegistryThreads, ThreadsWritingAndReadingOneKeyKeepEveryValue) {
    vktest::TempWorld world;
    constexpr int kThreads = 4;
    constexpr int kValues = 40;
    const auto name = [](int t, int i) {
        return L"t" + std::to_wstring(t) + L"v" + std::to_wstring(i);
    };
    const auto value = [](int t, int i) { return std::vector<BYTE>{BYTE(t), BYTE(i), 0, 0}; };
    std::atomic<int> failures{0};
    std::atomic<bool> writing{true};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kValues; ++i) {
                failures += regtest::Set(HKEY_CURRENT_USER, L"Shared\\Key", name(t, i).c_str(),
                                         REG_DWORD, value(t, i)) != ERROR_SUCCESS;
            }
        });
    }
    std::thread reader([&] {
        std::vector<BYTE> data;
        while (writing) {
            const LONG rc = regtest::Get(HKEY_CURRENT_USER, L"Shared\\Key", L"t0v0", data);
            failures += rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND;
        }
    });
    for (auto& th : threads) {
        th.join();
    }
    writing = false;
    reader.join();
    EXPECT_EQ(failures, 0);
    for (int t = 0; t < kThreads; ++t) {
        for (int i = 0; i < kValues; ++i) {
            std::vector<BYTE> data;
            ASSERT_EQ(regtest::Get(HKEY_CURRENT_USER, L"Shared\\Key", name(t, i).c_str(), data),
                      ERROR_SUCCESS);
            EXPECT_EQ(data, value(t, i));
        }
    }
}

TEST(RegistryThreads, AFailedSaveReachesTheCallerAndLeavesNoTrace) {
    vktest::TempWorld world;
    // A folder where the hive file should be: it can be neither read nor replaced.
    const auto hive = world.ConfigHome() / "vkcert" / "HKEY_CURRENT_USER.reg";
    std::filesystem::create_directories(hive);
    HKEY key = nullptr;
    EXPECT_NE(RegCreateKeyExW(HKEY_CURRENT_USER, L"K", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(key, nullptr);
    EXPECT_NE(regtest::Set(HKEY_CURRENT_USER, L"", L"v", REG_DWORD, {1, 0, 0, 0}), ERROR_SUCCESS);
    std::vector<BYTE> data;
    EXPECT_NE(regtest::Get(HKEY_CURRENT_USER, L"", L"v", data), ERROR_SUCCESS);
    for (const auto& e : std::filesystem::directory_iterator(hive.parent_path())) {
        EXPECT_EQ(e.path().filename().string().find(".tmp-"), std::string::npos) << e.path();
    }
    // The other hive is untouched by it.
    EXPECT_EQ(regtest::Set(HKEY_LOCAL_MACHINE, L"K", L"v", REG_DWORD, {1, 0, 0, 0}), ERROR_SUCCESS);
}
