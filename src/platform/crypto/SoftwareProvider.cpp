#include "platform/crypto/SoftwareProvider.h"

#include <pwd.h>
#include <unistd.h>

#include <vector>

#include "platform/crypto/SoftwareContext.h"
#include "platform/crypto/SoftwareKeyStore.h"
#include "platform/errors/LastError.h"
#include "platform/errors/WinError.h"
#include "platform/text/Utf.h"

namespace vk::crypto {
namespace {

constexpr std::size_t kMaxContainerName = 260;

// With no container named, the platform opens the key set named after the user.
std::wstring DefaultContainerName() {
    std::vector<char> buffer(4096);
    passwd entry{};
    passwd* result = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &result) == 0 &&
        result != nullptr && result->pw_name != nullptr && result->pw_name[0] != '\0') {
        return Utf8ToWide(result->pw_name);
    }
    return L"default";
}

// The container's name, or nothing (NTE_BAD_KEYSET_PARAM) when it is too long.
bool ContainerName(const wchar_t* container, std::wstring& name) {
    name = (container == nullptr || container[0] == L'\0') ? DefaultContainerName()
                                                           : std::wstring(container);
    if (name.size() > kMaxContainerName) {
        SetLastError(NTE_BAD_KEYSET_PARAM);
        return false;
    }
    return true;
}

}  // namespace

SoftwareProvider::SoftwareProvider(std::wstring name, DWORD defaultBits)
    : m_name(std::move(name)), m_defaultBits(defaultBits) {}

std::shared_ptr<IProviderContext> SoftwareProvider::Acquire(const wchar_t* container, DWORD flags) {
    const bool machine = (flags & CRYPT_MACHINE_KEYSET) != 0;
    if ((flags & CRYPT_VERIFYCONTEXT) != 0) {
        if (container != nullptr && container[0] != L'\0') {
            SetLastError(NTE_BAD_FLAGS);
            return nullptr;
        }
        auto own = std::make_shared<SoftwareKeySet>(L"");
        return std::make_shared<SoftwareContext>(m_name, std::move(own), true, machine,
                                                 m_defaultBits);
    }
    std::wstring name;
    if (!ContainerName(container, name)) {
        return nullptr;
    }
    auto& store = SoftwareKeyStore::Instance();
    auto set = (flags & CRYPT_NEWKEYSET) != 0 ? store.Create(name) : store.Open(name);
    if (!set) {
        return nullptr;
    }
    return std::make_shared<SoftwareContext>(m_name, std::move(set), false, machine, m_defaultBits);
}

BOOL SoftwareProvider::DeleteKeySet(const wchar_t* container, DWORD /*flags*/) {
    std::wstring name;
    if (!ContainerName(container, name)) {
        return FALSE;
    }
    return SoftwareKeyStore::Instance().Delete(name);
}

}  // namespace vk::crypto
