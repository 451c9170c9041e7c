// OpenSSL set-up for the whole process. Every part of the platform layer that
// keeps OpenSSL objects in process-wide (static) state calls OpenSslInit()
// before it makes them: the library is then initialised without its own exit
// handler (OPENSSL_INIT_NO_ATEXIT) and cleaned up explicitly by a static
// object constructed before those objects, so destroyed after them: keys and
// certificates released by static destructors at exit still find a live
// library. Loads the "default" and the "legacy" providers (RC2, 3DES and RC4
// of old PKCS #12 files); a missing legacy provider only loses those.
#pragma once

namespace vk::crypto {

// Idempotent and thread-safe; returns whether the legacy provider is loaded.
bool OpenSslInit();

}  // namespace vk::crypto
