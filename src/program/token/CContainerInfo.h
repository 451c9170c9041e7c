// One container of a token, with a slot per key specification whose key is opened on first
// request.
#pragma once

#include <memory>
#include <string>

#include "platform/WinTypes.h"
#include "program/token/CKeyInfo.h"

class CTokenInfo;

class CContainerInfo {
public:
    CContainerInfo(CTokenInfo& owner, std::wstring readerName, std::wstring containerName);
    CContainerInfo(const CContainerInfo&) = delete;
    CContainerInfo& operator=(const CContainerInfo&) = delete;

    const std::wstring& GetReaderName() const { return m_readerName; }
    const std::wstring& GetName() const { return m_containerName; }

    // Its name is exactly the token's default container name. May throw CCertException (a
    // failure to read the default container other than "there is none").
    bool IsDefault();

    // The key of that specification (1 exchange, 2 signature), opened through the context cache
    // on first request; null while the container has no such key.
    CKeyInfo* GetKey(DWORD keySpec);

private:
    struct CKeySlot {
        bool tried = false;
        std::unique_ptr<CKeyInfo> key;
        std::wstring containerName;
        std::wstring readerName;
        DWORD keySpec = 0;
    };

    CKeySlot* Slot(DWORD keySpec);

    std::wstring m_readerName;
    std::wstring m_containerName;
    CKeySlot m_exchange;
    CKeySlot m_signature;
    CTokenInfo& m_owner;
};
