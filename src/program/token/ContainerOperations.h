// The provider operations on a token's containers. Each takes the provider descriptor and the
// reader name; failing guarded calls throw SVKCERT::SEXCPT::CCertException with the system error
// code, giving back the reader lock and the contexts the operation acquired itself.
#pragma once

#include <string>
#include <vector>

#include "program/token/CProvContextRef.h"
#include "program/token/CProviderDescriptor.h"

namespace SVKCERT {

// Appends the reader's container names in the provider's order, under the reader lock. A
// reader without containers appends nothing; when an exception leaves, `names` holds what was
// read until then.
void EnumContainers(const CProviderDescriptor& provider, const std::wstring& reader,
                    std::vector<std::wstring>& names);

// The name of the reader's default container, under the reader lock. A token without one
// fails with NTE_BAD_KEYSET (the caller takes that as "none").
std::wstring ReadDefaultContainer(const CProviderDescriptor& provider, const std::wstring& reader);

// Marks the container as the token's default (on) or clears the mark, under the reader lock,
// through the context cache.
void SetDefaultContainer(const CProviderDescriptor& provider, const std::wstring& reader,
                         const std::wstring& container, bool on);

// Deletes the container at the provider. Contexts cached for it stay until the token leaves.
void DeleteContainer(const CProviderDescriptor& provider, const std::wstring& reader,
                     const std::wstring& container);

// Creates the container through the cache (CRYPT_NEWKEYSET); guarded.
SCONTEXTCACHE::CProvContextRef CreateContainerCached(const CProviderDescriptor& provider,
                                                     const std::wstring& reader,
                                                     const std::wstring& container);

// Creates the container with a context of its own (guarded), released with the reference.
SCONTEXTCACHE::CProvContextRef CreateContainer(const CProviderDescriptor& provider,
                                               const std::wstring& reader,
                                               const std::wstring& container);

// A context of the token's cached for the container (flags 0); guarded.
SCONTEXTCACHE::CProvContextRef AcquireCached(const CProviderDescriptor& provider,
                                             const std::wstring& reader,
                                             const std::wstring& container, DWORD flags = 0);

}  // namespace SVKCERT
