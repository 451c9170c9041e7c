#include "platform/token/PreparedConnections.h"

#include <exception>

#include "platform/token/SqliteDb.h"
#include "platform/token/TokenStore.h"
#include "platform/token/TokenWorld.h"

namespace vkstore {

void PrepareConnectionsForAnotherThread() {
    try {
        TokenWorld world;
        for (const ReaderState& reader : world.Readers()) {
            if (!reader.token) {
                continue;
            }
            try {
                TokenStore store(world.TokenFile(reader.token->uuid));
            } catch (const std::exception&) {
                // Reported where the token is read.
            }
        }
    } catch (const std::exception&) {
        // Reported where the world is read.
    }
    HandOverThreadConnections();
}

}  // namespace vkstore
