// What vktoken does to tokens beyond moving them: containers with generated
// or imported keys and their certificates, PINs, and a readable listing.
#pragma once

#include <ostream>
#include <string>

#include "platform/token/TokenWorld.h"

// The administrator PIN of the demo tokens, and of tokens made without one given.
inline constexpr const char* kDemoAdminPin = "87654321";

struct ContainerRequest {
    std::string name;  // UTF-8
    bool exchange = true;
    bool signature = false;
    unsigned bits = 2048;
    bool exportable = false;
    enum class Cert { None, SelfSigned, FromCa } cert = Cert::SelfSigned;
    std::string commonName;  // defaults to the container name
    std::string email;
    bool makeDefault = false;
};

class TokenAdmin {
public:
    explicit TokenAdmin(vkstore::TokenWorld& world) : m_world(world) {}

    void AddContainer(const std::string& label, const std::string& pin,
                      const ContainerRequest& request);
    void DeleteContainer(const std::string& label, const std::string& pin, const std::string& name);
    // Imports the first key and its certificate of a PKCS #12 file into a new container, or
    // with replace into an existing one in place of its key of that spec.
    void ImportPfx(const std::string& label, const std::string& pin, const std::string& container,
                   const std::string& file, const std::string& password, int spec, bool exportable,
                   bool replace);
    void ChangePin(const std::string& label, const std::string& oldPin, const std::string& newPin);
    // Sets a new user PIN with the administrator PIN, restoring the user's tries.
    void Unblock(const std::string& label, const std::string& adminPin, const std::string& newPin);
    void Show(const std::string& label, std::ostream& out);

private:
    vkstore::TokenWorld& m_world;
};
