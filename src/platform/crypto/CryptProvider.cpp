#include "platform/crypto/CryptProvider.h"

#include <cstring>

#include "platform/errors/LastError.h"
#include "platform/errors/WinError.h"

namespace vk::crypto {

BOOL CopyOut(const void* source, std::size_t size, BYTE* data, DWORD* dataLen) {
    if (dataLen == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (size > 0xFFFFFFFFu) {
        SetLastError(NTE_BAD_LEN);
        return FALSE;
    }
    const DWORD available = *dataLen;
    *dataLen = static_cast<DWORD>(size);
    if (data == nullptr) {
        return TRUE;
    }
    if (available < size) {
        SetLastError(ERROR_MORE_DATA);
        return FALSE;
    }
    if (size != 0) {
        std::memcpy(data, source, size);
    }
    return TRUE;
}

BOOL CopyOutDword(DWORD value, BYTE* data, DWORD* dataLen) {
    return CopyOut(&value, sizeof value, data, dataLen);
}

BOOL CopyOutString(const std::string& text, BYTE* data, DWORD* dataLen) {
    return CopyOut(text.c_str(), text.size() + 1, data, dataLen);
}

}  // namespace vk::crypto
