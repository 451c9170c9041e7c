// The registry calls within one process and the hive file as a person reads it. Other
// processes, crashes and damaged files are in RegistryProcessTest.cpp; the text syntax in
// HiveTextTest.cpp.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <numeric>

#include "RegTestUtil.h"
#include "platform/registry/HiveStore.h"
#include "platform/registry/HiveText.h"
#include "support/TempWorld.h"

using regtest::Get;
using regtest::Set;
using regtest::SzBytes;

namespace {

const wchar_t* const kKey = L"SOFTWARE\\Orvel\\Velkora\\vkCert\\Settings";
const wchar_t* const kLanguage = L"Software\\Orvel\\Language";

LONG Create(HKEY root, const wchar_t* path, HKEY* key, REGSAM access = KEY_ALL_ACCESS,
            DWORD* disposition = nullptr) {
    return RegCreateKeyExW(root, path, 0, nullptr, 0, access, nullptr, key, disposition);
}

class Registry : public ::testing::Test {
protected:
    vktest::TempWorld world;
};

}  // namespace

TEST_F(Registry, MissingKeysPerConfigFolderBadHandlesAndBadPaths) {
    HKEY key = reinterpret_cast<HKEY>(0x1234);
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_ALL_ACCESS, &key),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key, nullptr);
    ASSERT_EQ(Set(HKEY_CURRENT_USER, kKey, L"Present", REG_DWORD, {1, 0, 0, 0}), ERROR_SUCCESS);
    std::vector<BYTE> data;
    EXPECT_EQ(Get(HKEY_CURRENT_USER, kKey, L"Absent", data), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Get(HKEY_CURRENT_USER, L"SOFTWARE\\Orvel\\Nothing", L"Present", data),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Get(HKEY_LOCAL_MACHINE, kKey, L"Present", data), ERROR_FILE_NOT_FOUND)
        << "the same path in the other hive";
    // A parent created on the way exists, without values.
    EXPECT_EQ(Get(HKEY_CURRENT_USER, L"SOFTWARE\\Orvel", L"Present", data), ERROR_FILE_NOT_FOUND);
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"SOFTWARE\\Orvel", 0, KEY_READ, &key),
              ERROR_SUCCESS);
    RegCloseKey(key);

    // The config folder follows the environment.
    vktest::TempWorld second;
    EXPECT_EQ(Get(HKEY_CURRENT_USER, kKey, L"Present", data), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(HiveFolder(), second.ConfigHome() / "vkcert");

    // Bad handles, paths and parameters, refused without writing anything.
    const auto bogus = reinterpret_cast<HKEY>(std::uintptr_t{0x80000003});
    EXPECT_EQ(RegOpenKeyExW(bogus, L"x", 0, KEY_READ, &key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(bogus), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(HKEY_CURRENT_USER), ERROR_SUCCESS);
    EXPECT_EQ(Create(HKEY_CURRENT_USER, L"\\Lead", &key), ERROR_BAD_PATHNAME);
    EXPECT_EQ(Create(HKEY_CURRENT_USER, L"A\\\\B", &key), ERROR_BAD_PATHNAME);
    EXPECT_EQ(Create(HKEY_CURRENT_USER, L"A\nB", &key), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(Create(HKEY_CURRENT_USER, std::wstring(256, L'k').c_str(), &key),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"x", 0, KEY_READ, nullptr),
              ERROR_INVALID_PARAMETER);
    EXPECT_FALSE(std::filesystem::exists(HivePath(HiveId::CurrentUser))) << "nothing written";

    // A trailing backslash and the empty path name the key itself.
    ASSERT_EQ(Create(HKEY_CURRENT_USER, L"Top\\", &key), ERROR_SUCCESS);
    HKEY same = nullptr;
    ASSERT_EQ(RegOpenKeyExW(key, L"", 0, KEY_ALL_ACCESS, &same), ERROR_SUCCESS);
    const std::vector<BYTE> one{1};
    EXPECT_EQ(RegSetValueExW(same, L"bad\x01name", 0, REG_BINARY, one.data(), 1),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegSetValueExW(same, L"v", 0, REG_BINARY, nullptr, 1), ERROR_INVALID_PARAMETER);
    ASSERT_EQ(RegSetValueExW(same, L"v", 0, REG_BINARY, one.data(), 1), ERROR_SUCCESS);
    EXPECT_EQ(Get(HKEY_CURRENT_USER, L"TOP", L"v", data), ERROR_SUCCESS);
    RegCloseKey(same);
    RegCloseKey(key);
}

TEST_F(Registry, TheHiveFileIsReadableTextWithExactBytesAndHandlesKeepTheirRights) {
    ASSERT_EQ(Set(HKEY_CURRENT_USER, kKey, L"StatusBarVisible", REG_SZ, SzBytes(L"Y")),
              ERROR_SUCCESS);
    ASSERT_EQ(
        Set(HKEY_CURRENT_USER, kKey, L"LeftPaneInfo", REG_BINARY, {0xFA, 0, 0, 0, 0x14, 0, 0, 0}),
        ERROR_SUCCESS);
    // Names match without regard to case; a key and a value keep their first spelling.
    HKEY key = nullptr;
    DWORD disposition = 0;
    ASSERT_EQ(Create(HKEY_CURRENT_USER, L"Software\\\u0420\u0443\u0441", &key, KEY_ALL_ACCESS,
                     &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    const std::vector<BYTE> one{1, 0, 0, 0};
    const std::vector<BYTE> two{2, 0, 0, 0};
    ASSERT_EQ(RegSetValueExW(key, L"ShowContainers", 0, REG_DWORD, one.data(), 4), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key, L"SHOWCONTAINERS", 0, REG_DWORD, two.data(), 4), ERROR_SUCCESS);
    RegCloseKey(key);
    ASSERT_EQ(Create(HKEY_CURRENT_USER, L"SOFTWARE\\\u0440\u0423\u0421", &key, KEY_ALL_ACCESS,
                     &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
    RegCloseKey(key);
    std::vector<BYTE> got;
    ASSERT_EQ(Get(HKEY_CURRENT_USER, L"software\\\u0440\u0443\u0441", L"showcontainers", got),
              ERROR_SUCCESS);
    EXPECT_EQ(got, two);

    const auto path = world.ConfigHome() / "vkcert" / "HKEY_CURRENT_USER.reg";
    EXPECT_EQ(regtest::ReadFile(path),
              "Windows Registry Editor Version 5.00\n\n"
              "[HKEY_CURRENT_USER\\SOFTWARE]\n\n"
              "[HKEY_CURRENT_USER\\SOFTWARE\\Orvel]\n\n"
              "[HKEY_CURRENT_USER\\SOFTWARE\\Orvel\\Velkora]\n\n"
              "[HKEY_CURRENT_USER\\SOFTWARE\\Orvel\\Velkora\\vkCert]\n\n"
              "[HKEY_CURRENT_USER\\SOFTWARE\\Orvel\\Velkora\\vkCert\\Settings]\n"
              "\"StatusBarVisible\"=\"Y\"\n"
              "\"LeftPaneInfo\"=hex:fa,00,00,00,14,00,00,00\n\n"
              "[HKEY_CURRENT_USER\\SOFTWARE\\\xD0\xA0\xD1\x83\xD1\x81]\n"
              "\"ShowContainers\"=dword:00000002\n\n");
    ASSERT_EQ(Set(HKEY_LOCAL_MACHINE, kLanguage, L"", REG_SZ, SzBytes(L"\u0420")), ERROR_SUCCESS);
    EXPECT_EQ(regtest::ReadFile(HivePath(HiveId::LocalMachine)),
              "Windows Registry Editor Version 5.00\n\n"
              "[HKEY_LOCAL_MACHINE\\Software]\n\n"
              "[HKEY_LOCAL_MACHINE\\Software\\Orvel]\n\n"
              "[HKEY_LOCAL_MACHINE\\Software\\Orvel\\Language]\n"
              "@=\"\xD0\xA0\"\n\n");
    for (const auto& [file, mode] :
         {std::pair(path, 0600u), std::pair(path.parent_path(), 0700u)}) {
        struct stat st {};
        EXPECT_EQ(stat(file.c_str(), &st) == 0 ? st.st_mode & 0777 : 0, mode) << file;
    }

    // Every type keeps its exact bytes, in memory and in the file.
    std::vector<BYTE> all(256);
    std::iota(all.begin(), all.end(), BYTE{0});
    const std::wstring cyr = L"\u0420\u0443\u0441\u0441\u043A\u0438\u0439 \"q\" \\ = ; [x]";
    struct Case {
        const wchar_t* name;
        DWORD type;
        std::vector<BYTE> data;
    } cases[] = {
        {L"Odd", REG_SZ, {'Y', 0, 0, 0, 0}},  // odd size
        {L"NoNul", REG_SZ, {'Y', 0, 0, 0}},   // no terminating NUL
        {L"Empty", REG_SZ, {}},               // no bytes at all
        {L"NulOnly", REG_SZ, {0, 0, 0, 0}},   // the empty text
        {L"Embedded", REG_SZ, {'a', 0, 0, 0, 0, 0, 0, 0, 'b', 0, 0, 0, 0, 0, 0, 0}},
        {L"Tab", REG_SZ, SzBytes(L"a\tb\r\nc")},  // control characters
        {L"Cyrillic", REG_SZ, SzBytes(cyr)},
        {L"Binary", REG_BINARY, all},
        {L"EmptyBinary", REG_BINARY, {}},
        {L"Dword", REG_DWORD, {0x78, 0x56, 0x34, 0x12}},
        {L"ShortDword", REG_DWORD, {1, 2, 3}},
        {L"Odd type", 0x1234, {9, 8, 7}},
        {L"Quote\"and\\slash=", REG_SZ, SzBytes(L"v")},
        {L"\u0418\u043C\u044F", REG_MULTI_SZ, SzBytes(L"a")},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(Set(HKEY_CURRENT_USER, kKey, c.name, c.type, c.data), ERROR_SUCCESS);
    }
    // A second process sees the file, not this process's memory: read the file's text too.
    auto parsed = ParseHive(regtest::ReadFile(HivePath(HiveId::CurrentUser)), L"HKEY_CURRENT_USER");
    EXPECT_FALSE(parsed.damaged);
    const HiveKey* settings =
        parsed.root.FindPath({L"SOFTWARE", L"Orvel", L"Velkora", L"vkCert", L"Settings"});
    ASSERT_NE(settings, nullptr);
    for (const auto& c : cases) {
        std::vector<BYTE> got;
        DWORD type = 0;
        ASSERT_EQ(Get(HKEY_CURRENT_USER, kKey, c.name, got, &type), ERROR_SUCCESS);
        EXPECT_EQ(std::make_pair(type, got), std::make_pair(c.type, c.data));
        const HiveValue* v = settings->FindValue(c.name);
        ASSERT_NE(v, nullptr);
        EXPECT_EQ(std::make_pair(v->type, v->data), std::make_pair(c.type, c.data));
    }

    // Access rights of a handle are enforced; buffers are sized; deleted keys stay deleted.
    HKEY sub = nullptr;
    ASSERT_EQ(Create(HKEY_LOCAL_MACHINE, kLanguage, &key, KEY_READ), ERROR_SUCCESS);
    const auto data = SzBytes(L"NATIVE");
    EXPECT_EQ(RegSetValueExW(key, nullptr, 0, REG_SZ, data.data(), 28), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteValueW(key, nullptr), ERROR_ACCESS_DENIED);
    EXPECT_EQ(Create(key, L"Sub", &sub), ERROR_ACCESS_DENIED);
    RegCloseKey(key);

    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kLanguage, 0, KEY_WRITE, &key), ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExW(key, nullptr, 0, REG_SZ, data.data(), 28), ERROR_SUCCESS);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExW(key, nullptr, nullptr, nullptr, nullptr, &size),
              ERROR_ACCESS_DENIED);
    RegCloseKey(key);

    // A short buffer gives ERROR_MORE_DATA with the size needed and is left alone.
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kLanguage, 0, KEY_READ, &key), ERROR_SUCCESS);
    DWORD type = 0;
    std::vector<BYTE> buf(50, 0xEE);
    size = 27;
    EXPECT_EQ(RegQueryValueExW(key, L"", nullptr, &type, buf.data(), &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 28u);
    EXPECT_EQ(buf, std::vector<BYTE>(50, 0xEE));
    size = 50;
    EXPECT_EQ(RegQueryValueExW(key, L"", nullptr, &type, buf.data(), &size), ERROR_SUCCESS);
    EXPECT_EQ(std::vector<BYTE>(buf.begin(), buf.begin() + size), data);
    EXPECT_EQ(buf[28], 0xEE);
    EXPECT_EQ(RegQueryValueExW(key, L"", nullptr, &type, buf.data(), nullptr),
              ERROR_INVALID_PARAMETER);
    RegCloseKey(key);

    ASSERT_EQ(Set(HKEY_CURRENT_USER, L"A\\B\\C", L"v", REG_DWORD, {1, 0, 0, 0}), ERROR_SUCCESS);
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"A\\B\\C", 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValueW(key, L"V"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValueW(key, L"v"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, L"A\\B"), ERROR_ACCESS_DENIED) << "has a subkey";
    EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, L"A\\X"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, L"a\\b\\c"), ERROR_SUCCESS);
    // The open handle now stands for a key that is gone.
    EXPECT_EQ(RegSetValueExW(key, L"v", 0, REG_DWORD, one.data(), 4), ERROR_KEY_DELETED);
    EXPECT_EQ(RegQueryValueExW(key, L"v", nullptr, nullptr, nullptr, &size), ERROR_KEY_DELETED);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"A\\B\\C", 0, KEY_READ, &key),
              ERROR_FILE_NOT_FOUND);
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"A\\B", 0, KEY_READ, &key), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(regtest::ReadFile(HivePath(HiveId::CurrentUser)).find("\\C]"), std::string::npos);
}
