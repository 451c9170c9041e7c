// A key's certificate in the user's personal certificate store ("MY"): registered with the key
// provider information that leads other programs to the key on the token, taken out again, and
// the two commands of a key node that do so and tell the outcome.
#pragma once

#include <string>
#include <vector>

#include "platform/WinTypes.h"

class CFrameFacade;
class CKeyInfo;

namespace STreeItemInfo {
class ITreeItemInfo;
}

namespace SVKCERT {

struct CProviderDescriptor;

// Adds the key's certificate to "MY", replacing an equal one, with the key provider information:
// the plain container name, the descriptor's provider name and type, flags 0, no parameters and
// the key's specification. Throws CCertException with the system error code on failure. The
// key's caches are cleared.
void Register(CKeyInfo& key, const CProviderDescriptor& provider);

// Deletes the store's copy of the key's certificate; CCertException with CRYPT_E_NOT_FOUND when
// the store does not hold it, the system error code for other failures. The key's caches are
// cleared.
void Unregister(CKeyInfo& key);

// The store file of this certificate when it lies in "MY" damaged (the store skips it); empty
// when there is none such.
std::wstring DamagedStoreFileOf(const std::vector<BYTE>& certificate);

enum class EStoreChange { Add, Remove };

// The node's Add (32775) or Remove (32779): registers or unregisters the key's certificate,
// redraws the node, brings the tool bar up to date and shows message 184 or 188; a failure shows
// message 186 or 187 with the system's description of the error (and a damaged store file of
// the certificate by name). The node is redrawn after a failure too: its state is read afresh.
void ChangeStoreRegistration(EStoreChange change, CKeyInfo& key,
                             const CProviderDescriptor& provider, const CFrameFacade& facade,
                             const STreeItemInfo::ITreeItemInfo* node);

}  // namespace SVKCERT
