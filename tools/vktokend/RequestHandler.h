// Answers one request of the token service: the login state, login and
// logout, and the work with private keys, which needs the login and is done
// here so that no client ever holds a token key. A key that is not
// exportable never leaves in any form.
#pragma once

#include <semaphore>

#include "LoginTable.h"
#include "platform/token/TokenStore.h"
#include "platform/token/service/ServiceMessage.h"

namespace vktokend {

class RequestHandler {
public:
    explicit RequestHandler(LoginTable& logins) : m_logins(logins) {}

    // Never throws: a failure is the answer.
    vkstore::service::Message Handle(const vkstore::service::Message& request);

private:
    using Message = vkstore::service::Message;

    Message Dispatch(const Message& request);
    Message Login(const Message& request);
    Message ExportKey(const Message& request);
    Message ImportKey(const Message& request);
    Message GenerateKey(const Message& request);

    // The token key of a logged-in token (NotLoggedIn otherwise) and its store, checked
    // to hold the token on the address's insertion and the container.
    struct KeyPlace {
        vkstore::service::KeyAddress address;
        SecretBytes tokenKey;
        std::optional<vkstore::TokenStore> store;
    };
    KeyPlace OpenKeyPlace(const Message& request);

    LoginTable& m_logins;
    // PIN derivations are costly in memory: a few at a time.
    std::counting_semaphore<2> m_derivations{2};
};

}  // namespace vktokend
