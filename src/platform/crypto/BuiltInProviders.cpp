// The providers that the platform layer brings along. Providers of other
// folders of the platform layer are registered here too, so that a static
// link never drops them.
#include <memory>

#include "platform/crypto/ProviderRegistry.h"
#include "platform/crypto/SoftwareProvider.h"
#include "platform/token/VelkoraProvider.h"

namespace vk::crypto {

void RegisterBuiltInProviders(ProviderRegistry& registry) {
    const struct {
        const wchar_t* name;
        DWORD defaultBits;
    } software[] = {
        {MS_ENHANCED_PROV_W, 1024},
        {MS_STRONG_PROV_W, 1024},
        {MS_DEF_PROV_W, 512},
    };
    for (const auto& entry : software) {
        registry.Register(entry.name, PROV_RSA_FULL,
                          std::make_shared<SoftwareProvider>(entry.name, entry.defaultBits));
    }
    registry.Register(vkstore::kVelkoraProviderName, PROV_RSA_FULL,
                      std::make_shared<vkstore::VelkoraProvider>());
}

}  // namespace vk::crypto
