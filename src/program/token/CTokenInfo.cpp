#include "program/token/CTokenInfo.h"

#include <map>
#include <utility>

#include "platform/errors/WinError.h"
#include "program/token/CCertException.h"
#include "program/token/ContainerOperations.h"
#include "program/token/LoginState.h"

using SVKCERT::SEXCPT::CCertException;

CTokenInfo::CTokenInfo(std::wstring readerName, SVKCERT::CProviderDescriptor provider)
    : m_readerName(std::move(readerName)), m_provider(std::move(provider)) {}

CTokenInfo::~CTokenInfo() = default;

STokenRecord CTokenInfo::GetTokenRecord() {
    if (!m_recordRead) {
        // Set first: a failed reading is not repeated until something resets the flag.
        m_recordRead = true;
        m_record = ReadTokenRecord(m_readerName);
    }
    try {
        GetLoginState();
    } catch (...) {
    }
    return m_record;
}

DWORD CTokenInfo::GetLoginState() {
    if (!m_loginRead) {
        m_loginState = SVKCERT::ReadLoginState(m_readerName);
        m_loginRead = true;
    }
    return m_loginState;
}

void CTokenInfo::ResetLoginState() {
    m_loginState = SVKCERT::kLoginNotRead;
    m_loginRead = false;
}

const CTokenInfo::ContainerList& CTokenInfo::GetContainers() {
    if (!m_containersRead) {
        ReadContainers();
    }
    return m_containers;
}

CContainerInfo* CTokenInfo::FindContainer(const std::wstring& name) {
    for (const auto& container : GetContainers()) {
        if (container->GetName() == name) {
            return container.get();
        }
    }
    return nullptr;
}

void CTokenInfo::ReadContainers() {
    std::vector<std::wstring> names;
    try {
        SVKCERT::EnumContainers(m_provider, m_readerName, names);
    } catch (const CCertException&) {
        // The list holds what was read until then.
    }
    m_containers.clear();
    for (auto& name : names) {
        m_containers.push_back(std::make_unique<CContainerInfo>(*this, m_readerName, name));
    }
    m_containersRead = true;
}

void CTokenInfo::RefreshContainers() {
    if (!m_containersRead) {
        return;
    }
    std::vector<std::wstring> names;
    try {
        SVKCERT::EnumContainers(m_provider, m_readerName, names);
    } catch (const CCertException&) {
        m_containersRead = false;
        return;
    }
    // Containers that stay keep their objects, and with them their open keys.
    std::map<std::wstring, std::unique_ptr<CContainerInfo>> old;
    for (auto& container : m_containers) {
        std::wstring name = container->GetName();
        old.emplace(std::move(name), std::move(container));
    }
    ContainerList fresh;
    for (auto& name : names) {
        auto found = old.find(name);
        if (found != old.end() && found->second) {
            fresh.push_back(std::move(found->second));
        } else {
            fresh.push_back(std::make_unique<CContainerInfo>(*this, m_readerName, name));
        }
    }
    m_containers = std::move(fresh);
}

std::wstring CTokenInfo::GetDefaultContainer() {
    if (!m_defaultRead) {
        try {
            m_defaultContainer = SVKCERT::ReadDefaultContainer(m_provider, m_readerName);
        } catch (const CCertException& e) {
            if (e.GetCode() != NTE_BAD_KEYSET) {
                throw;
            }
            m_defaultContainer.clear();
        }
        m_defaultRead = true;
    }
    return m_defaultContainer;
}

void CTokenInfo::SetDefaultContainer(const std::wstring& name, bool on) {
    m_defaultRead = false;
    m_defaultContainer.clear();
    SVKCERT::SetDefaultContainer(m_provider, m_readerName, name, on);
}

void CTokenInfo::DeleteContainer(const std::wstring& name) {
    SVKCERT::DeleteContainer(m_provider, m_readerName, name);
    RefreshContainers();
    ClearTokenCaches();
}

void CTokenInfo::Refresh() {
    RefreshContainers();
    ClearTokenCaches();
}

void CTokenInfo::ClearTokenCaches() {
    m_recordRead = false;
    ResetLoginState();
    m_defaultRead = false;
    m_defaultContainer.clear();
}
