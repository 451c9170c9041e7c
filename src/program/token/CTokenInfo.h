// What the program knows of the token in one reader: its record, login state, containers and
// default container name. Each is read lazily, once, and forgotten on request; the operations
// that change the token clear exactly what they affect. Window thread only.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/WinTypes.h"
#include "program/token/CContainerInfo.h"
#include "program/token/CProviderDescriptor.h"
#include "program/token/STokenRecord.h"

class CTokenInfo {
public:
    using ContainerList = std::vector<std::unique_ptr<CContainerInfo>>;

    CTokenInfo(std::wstring readerName, SVKCERT::CProviderDescriptor provider);
    ~CTokenInfo();
    CTokenInfo(const CTokenInfo&) = delete;
    CTokenInfo& operator=(const CTokenInfo&) = delete;

    const std::wstring& GetReaderName() const { return m_readerName; }
    const SVKCERT::CProviderDescriptor& GetProvider() const { return m_provider; }

    // A copy of the record (read through the middleware on first request), after reading the
    // login state, whose failures are dropped.
    STokenRecord GetTokenRecord();

    // 1 guest, 2 user logged in; 0 when the provider cannot be reached or the reader holds no
    // token. Cached, the 0 too.
    DWORD GetLoginState();
    void ResetLoginState();

    // The containers in the provider's order, enumerated on first request; what an enumeration
    // failure leaves is what was read until then.
    const ContainerList& GetContainers();
    // The container of exactly that name, after reading the list; null when there is none.
    CContainerInfo* FindContainer(const std::wstring& name);

    // The default container's name, empty when the token has none. Other read failures throw
    // CCertException and are tried again next time.
    std::wstring GetDefaultContainer();

    // Sets or clears the default mark of the container; the cached default name is forgotten
    // first. Throws CCertException.
    void SetDefaultContainer(const std::wstring& name, bool on);

    // Deletes the container at the provider (throws CCertException), refreshes the container
    // list and forgets the record, login state and default container.
    void DeleteContainer(const std::wstring& name);

    // Forgets the record, login state and default container (after a certificate was assigned
    // to one of the token's keys).
    void ClearTokenCaches();

    // Forgets everything cached and reads the container list again (after containers were made
    // or removed behind the tree's back).
    void Refresh();

private:
    void ReadContainers();
    void RefreshContainers();

    std::wstring m_readerName;
    ContainerList m_containers;
    bool m_containersRead = false;
    STokenRecord m_record;
    bool m_recordRead = false;
    DWORD m_loginState = 0;
    bool m_loginRead = false;
    std::wstring m_defaultContainer;
    bool m_defaultRead = false;
    SVKCERT::CProviderDescriptor m_provider;
};
