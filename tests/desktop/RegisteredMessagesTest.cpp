// Registered window messages: one number per name whatever the case, failures, a full table and
// threads at once. How the numbers travel between programs is the broadcast tests'.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <thread>
#include <vector>

#include "desktop/RegisteredMessages.h"
#include "platform/errors/LastError.h"
#include "platform/errors/WinError.h"
#include "support/ChildProcess.h"

namespace {

constexpr const wchar_t* kLoginName =
    L"{D1C07249-B709-4da6-8ED2-239F3920DB01} Velkora Login/Logout message";

TEST(RegisteredMessages, OneNumberPerNameWhateverTheCase) {
    const UINT login = RegisterWindowMessageW(kLoginName);
    ASSERT_GE(login, kFirstRegisteredMessage);
    ASSERT_LE(login, kLastRegisteredMessage);
    EXPECT_EQ(RegisterWindowMessageW(kLoginName), login);
    EXPECT_EQ(RegisterWindowMessageW(
                  L"{d1c07249-b709-4DA6-8ed2-239f3920db01} VELKORA LOGIN/LOGOUT MESSAGE"),
              login);
    EXPECT_EQ(RegisterWindowMessageW(L"Сообщение входа"),
              RegisterWindowMessageW(L"СООБЩЕНИЕ ВХОДА"));

    const UINT other = RegisterWindowMessageW(L"vkCert Instance ID");
    EXPECT_NE(other, login);
    EXPECT_NE(RegisterWindowMessageW(L"Velkora Login/Logout message "), login)
        << "a trailing space makes another name";
    // The name is kept as first spelled.
    EXPECT_EQ(CRegisteredMessages::NameOf(login), kLoginName);
    EXPECT_EQ(CRegisteredMessages::NameOf(0x0219), L"");
    EXPECT_EQ(CRegisteredMessages::NameOf(kLastRegisteredMessage), L"");
    // Null and empty names are refused.
    for (const wchar_t* name : {static_cast<const wchar_t*>(nullptr), L""}) {
        SetLastError(ERROR_SUCCESS);
        EXPECT_EQ(RegisterWindowMessageW(name), 0u);
        EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    }
}

// Fills the table of a fresh process: every number once, then no more.
VK_TEST_CHILD(fill_message_table) {
    std::set<UINT> numbers;
    const UINT first = RegisterWindowMessageW(L"first");
    for (UINT i = 0; i < 0x4000 - 1; ++i) {
        const UINT n = RegisterWindowMessageW((L"name " + std::to_wstring(i)).c_str());
        if (n < kFirstRegisteredMessage || n > kLastRegisteredMessage ||
            !numbers.insert(n).second) {
            return 2;
        }
    }
    if (numbers.count(first) != 0) {
        return 3;
    }
    SetLastError(ERROR_SUCCESS);
    if (RegisterWindowMessageW(L"one too many") != 0 || GetLastError() != ERROR_NOT_ENOUGH_MEMORY) {
        return 4;
    }
    // Names registered before keep their numbers.
    if (RegisterWindowMessageW(L"FIRST") != first || RegisterWindowMessageW(L"name 17") == 0) {
        return 5;
    }
    return 0;
}

TEST(RegisteredMessages, AFullTableRefusesNewNamesThreadsRegisteringTogetherAgree) {
    vktest::ChildProcess child("fill_message_table");
    EXPECT_EQ(child.Wait(), 0);

    constexpr int kThreads = 8;
    constexpr int kNames = 200;
    std::vector<std::vector<UINT>> seen(kThreads, std::vector<UINT>(kNames));
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t, &seen] {
            for (int i = 0; i < kNames; ++i) {
                // Every other thread spells the names in upper case.
                std::wstring name = (t % 2 ? L"THREADED " : L"threaded ") + std::to_wstring(i);
                seen[t][i] = RegisterWindowMessageW(name.c_str());
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    std::set<UINT> distinct(seen[0].begin(), seen[0].end());
    EXPECT_EQ(distinct.size(), static_cast<size_t>(kNames));
    for (int t = 1; t < kThreads; ++t) {
        EXPECT_EQ(seen[t], seen[0]) << "thread " << t;
    }
}

}  // namespace
