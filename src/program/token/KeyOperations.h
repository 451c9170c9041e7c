// Provider operations on a container's keys that do not go through an open key.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "platform/crypto/CryptApi.h"
#include "program/token/CProviderDescriptor.h"

namespace SVKCERT {

// The DER certificate stored with the container's key of that specification, under the reader
// lock, through the context cache. A key without certificate throws CCertException.
std::vector<BYTE> ReadKeyCertificate(const CProviderDescriptor& provider,
                                     const std::wstring& reader, const std::wstring& container,
                                     DWORD keySpec);

// Imports a key blob into the caller's context (guarded); the caller destroys the key handle.
HCRYPTKEY ImportKeyBlob(HCRYPTPROV context, std::span<const BYTE> blob, DWORD flags);

}  // namespace SVKCERT
