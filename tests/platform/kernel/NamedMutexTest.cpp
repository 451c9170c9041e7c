// Named mutexes between real processes and threads, their names and the lock folder. The
// single-instance rule built on them is tested in tests/gui/app/instance.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <iostream>
#include <string>
#include <thread>

#include "platform/errors/WinError.h"
#include "platform/kernel/Handles.h"
#include "platform/kernel/Mutex.h"
#include "platform/kernel/NamedMutex.h"
#include "platform/text/Utf.h"
#include "support/ChildProcess.h"
#include "support/EnvOverride.h"
#include "support/TempWorld.h"

namespace fs = std::filesystem;

namespace {

struct Created {  // CreateMutexW and the last error right after it
    HANDLE handle;
    DWORD error;
};

Created Create(const std::wstring& name, bool owner = false) {
    SetLastError(12345);
    HANDLE h = CreateMutexW(nullptr, owner ? TRUE : FALSE, name.c_str());
    return {h, GetLastError()};
}

bool WaitForFile(const std::string& path) {  // false after ten seconds
    for (int i = 0; i < 2000 && !fs::exists(path); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return fs::exists(path);
}

}  // namespace

// Creates and owns the mutex args[0], reports the last error, then releases it when the file
// args[1] appears and exits when args[2] appears (or at once when there is no args[2]).
VK_TEST_CHILD(mutex_holder) {
    std::wstring name = Utf8ToWide(args.at(0));
    HANDLE h = CreateMutexW(nullptr, TRUE, name.c_str());
    DWORD error = GetLastError();
    if (!h || (error == ERROR_ALREADY_EXISTS && WaitForSingleObject(h, INFINITE) == WAIT_FAILED)) {
        return 2;
    }
    std::cout << "held " << error << std::endl;
    if (!WaitForFile(args.at(1)) || !ReleaseMutex(h)) {
        return 3;
    }
    std::cout << "released" << std::endl;
    if (args.size() > 2 && !WaitForFile(args[2])) {
        return 4;
    }
    return 0;  // ends without CloseHandle: the exit itself must drop the name
}

class NamedMutexTest : public testing::Test {
protected:
    vktest::TempWorld world;
    fs::path Flag(const std::string& name) const { return world.Root() / name; }
};

TEST_F(NamedMutexTest, SecondCreatorSeesTheNameWaitsForTheReleaseOrAHolderKilledWithSigkill) {
    const std::wstring name = L"vkCert Instance ID {5336E4D5-7B99-4f83-9D26-BF2107E155A0}";
    vktest::ChildProcess holder(
        "mutex_holder", {WideToUtf8(name), Flag("release").string(), Flag("exit").string()}, true);
    EXPECT_EQ(holder.NextLine(), "held 0");

    Created second = Create(name);
    ASSERT_NE(second.handle, nullptr);
    EXPECT_EQ(second.error, ERROR_ALREADY_EXISTS);
    EXPECT_EQ(WaitForSingleObject(second.handle, 100), WAIT_TIMEOUT);
    EXPECT_FALSE(ReleaseMutex(second.handle));
    EXPECT_EQ(GetLastError(), ERROR_NOT_OWNER);

    std::ofstream(Flag("release")) << "go";
    EXPECT_EQ(WaitForSingleObject(second.handle, 10000), WAIT_OBJECT_0);
    EXPECT_EQ(holder.NextLine(), "released");
    EXPECT_TRUE(ReleaseMutex(second.handle));

    // The holder still lives with its handle: the name exists for a third creator too.
    Created third = Create(name);
    EXPECT_EQ(third.error, ERROR_ALREADY_EXISTS);
    CloseHandle(third.handle);
    std::ofstream(Flag("exit")) << "go";
    EXPECT_EQ(holder.Wait(), 0);
    EXPECT_TRUE(CloseHandle(second.handle));

    // The holder ended without closing its handle: a new start is a first start.
    Created fresh = Create(name);
    EXPECT_EQ(fresh.error, ERROR_SUCCESS);
    EXPECT_TRUE(CloseHandle(fresh.handle));
    EXPECT_EQ(OpenMutexW(SYNCHRONIZE, FALSE, name.c_str()), nullptr) << "the last handle went";
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);

    // A holder killed with SIGKILL releases the mutex and the name.
    vktest::ChildProcess killed("mutex_holder", {WideToUtf8(name), Flag("never").string()}, true);
    EXPECT_EQ(killed.NextLine(), "held 0");

    Created waiter = Create(name);
    EXPECT_EQ(waiter.error, ERROR_ALREADY_EXISTS);
    auto result = std::async(std::launch::async,
                             [h = waiter.handle] { return WaitForSingleObject(h, 10000); });
    EXPECT_EQ(result.wait_for(std::chrono::milliseconds(200)), std::future_status::timeout);
    killed.Kill(SIGKILL);
    EXPECT_EQ(killed.Wait(), 128 + SIGKILL);
    EXPECT_EQ(result.get(), WAIT_ABANDONED) << "the waiter owns what the dead holder held";
    EXPECT_TRUE(CloseHandle(waiter.handle));

    // Nobody holds a handle: a new mutex, not "abandoned" by the dead owner's mark.
    Created again = Create(name, true);
    ASSERT_NE(again.handle, nullptr);
    EXPECT_EQ(again.error, ERROR_SUCCESS);
    EXPECT_EQ(WaitForSingleObject(again.handle, 0), WAIT_OBJECT_0);
    EXPECT_TRUE(ReleaseMutex(again.handle) && ReleaseMutex(again.handle)) << "re-entered once";
    CloseHandle(again.handle);
}

TEST_F(NamedMutexTest, NamesStayApartInTheirLockFolderAndThreadsExcludeEachOther) {
    // Each pair would meet under a careless mapping to file names; long names are hashed.
    const std::wstring l(300, L'\\');
    const std::wstring names[] = {L"a/b",       L"a\\b",      L"a%2Fb",
                                  L"..\\..\\x", L"../../x",   L"Global\\vk",
                                  L"%D0%A2",    L"Global/vk", L"\u0422\u043E\u043A\u0435\u043D",
                                  l + L"a",     l + L"b"};
    EXPECT_LE(CNamedMutex::LockFileName(names[9]).size(), 255u);
    std::vector<HANDLE> handles;
    for (const std::wstring& name : names) {
        Created c = Create(name);
        ASSERT_NE(c.handle, nullptr) << WideToUtf8(name);
        EXPECT_EQ(c.error, ERROR_SUCCESS) << WideToUtf8(name);
        Created again = Create(name);
        EXPECT_EQ(again.error, ERROR_ALREADY_EXISTS) << WideToUtf8(name);
        handles.insert(handles.end(), {c.handle, again.handle});
    }
    // Every lock file sits in the lock folder itself, none above it.
    fs::path folder = CNamedMutex::LockDirectory();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.parent_path(), world.RuntimeDir());
    std::size_t files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(world.Root())) {
        if (entry.path().extension() == ".lock") {
            EXPECT_EQ(entry.path().parent_path(), folder);
            ++files;
        }
    }
    EXPECT_EQ(files, std::size(names));

    for (HANDLE h : handles) {
        EXPECT_TRUE(CloseHandle(h));
    }
    // Unnamed mutexes are never shared; a second handle of one process on one name is the same
    // mutex, so threads taking turns through either never lose a counter's update.
    Created a = Create(L"");
    Created b = Create(L"");
    EXPECT_EQ(std::make_pair(a.error, b.error), std::make_pair(ERROR_SUCCESS, ERROR_SUCCESS));
    CloseHandle(a.handle);
    CloseHandle(b.handle);
    Created c = Create(L"threads");
    HANDLE other = OpenMutexW(SYNCHRONIZE, FALSE, L"threads");
    ASSERT_TRUE(c.handle && other);
    int counter = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, h = t % 2 ? c.handle : other] {
            for (int i = 0; i < 200; ++i) {
                ASSERT_EQ(WaitForSingleObject(h, INFINITE), WAIT_OBJECT_0);
                int seen = counter;
                std::this_thread::yield();
                counter = seen + 1;
                ASSERT_TRUE(ReleaseMutex(h));
            }
        });
    }
    for (auto& t : threads) {
        t.join();
    }
    EXPECT_EQ(counter, 800);
    EXPECT_TRUE(CloseHandle(other) && CloseHandle(c.handle));
    EXPECT_FALSE(CloseHandle(c.handle));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);

    // Without a runtime folder the locks go to a private folder in /tmp.
    vktest::EnvOverride noRuntimeFolder;
    noRuntimeFolder.Set("XDG_RUNTIME_DIR", nullptr);
    const std::string tmp = CNamedMutex::LockDirectory();
    Created inTmp = Create(L"no runtime folder");
    ASSERT_EQ(tmp, "/tmp/vkcert-" + std::to_string(geteuid()));
    struct stat st {};
    ASSERT_EQ(stat(tmp.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(st.st_uid, geteuid());
    ASSERT_NE(inTmp.handle, nullptr);
    CloseHandle(inTmp.handle);
}
