#include "platform/kernel/Uuid.h"

#include <sys/random.h>

#include <openssl/rand.h>

#include <cstdio>
#include <cstring>
#include <new>

namespace {

bool RandomBytes(unsigned char* out, std::size_t n) {
    if (RAND_bytes(out, static_cast<int>(n)) == 1) {
        return true;
    }
    std::size_t got = 0;
    while (got < n) {
        ssize_t r = getrandom(out + got, n - got, 0);
        if (r <= 0) {
            return false;
        }
        got += static_cast<std::size_t>(r);
    }
    return true;
}

}  // namespace

RPC_STATUS UuidCreate(UUID* uuid) {
    if (!uuid) {
        return RPC_S_INVALID_ARG;
    }
    unsigned char bytes[16];
    if (!RandomBytes(bytes, sizeof bytes)) {
        return RPC_S_UUID_NO_ADDRESS;
    }
    // Version 4 in the top bits of Data3, the RFC 4122 variant in the top bits of Data4[0].
    std::memcpy(&uuid->Data1, bytes, 4);
    std::memcpy(&uuid->Data2, bytes + 4, 2);
    std::memcpy(&uuid->Data3, bytes + 6, 2);
    std::memcpy(uuid->Data4, bytes + 8, 8);
    uuid->Data3 = static_cast<WORD>((uuid->Data3 & 0x0FFF) | 0x4000);
    uuid->Data4[0] = static_cast<BYTE>((uuid->Data4[0] & 0x3F) | 0x80);
    return RPC_S_OK;
}

RPC_STATUS UuidToStringW(const UUID* uuid, RPC_WSTR* text) {
    if (!uuid || !text) {
        return RPC_S_INVALID_ARG;
    }
    char narrow[37];
    std::snprintf(narrow, sizeof narrow, "%08x-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x",
                  static_cast<unsigned>(uuid->Data1), uuid->Data2, uuid->Data3, uuid->Data4[0],
                  uuid->Data4[1], uuid->Data4[2], uuid->Data4[3], uuid->Data4[4], uuid->Data4[5],
                  uuid->Data4[6], uuid->Data4[7]);
    auto* wide = new (std::nothrow) wchar_t[37];
    if (!wide) {
        return RPC_S_OUT_OF_MEMORY;
    }
    for (int i = 0; i < 37; ++i) {
        wide[i] = static_cast<wchar_t>(narrow[i]);
    }
    *text = wide;
    return RPC_S_OK;
}

RPC_STATUS RpcStringFreeW(RPC_WSTR* text) {
    if (!text) {
        return RPC_S_INVALID_ARG;
    }
    delete[] * text;
    *text = nullptr;
    return RPC_S_OK;
}

std::wstring NewUuidString() {
    UUID uuid{};
    RPC_WSTR text = nullptr;
    if (UuidCreate(&uuid) != RPC_S_OK || UuidToStringW(&uuid, &text) != RPC_S_OK) {
        return {};
    }
    std::wstring result(text);
    RpcStringFreeW(&text);
    return result;
}
