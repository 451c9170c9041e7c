// Which node commands apply, from what a node knows of its token and key. With an
// administrator logged in no node command applies.
#pragma once

#include <optional>
#include <string>

#include "platform/WinTypes.h"

namespace STreeItemInfo {

// The commands a node carries out itself, when it accepts them.
bool IsNodeCommand(UINT commandId);

// The token's login state, found by reader name; 0 when the tree has no such token.
DWORD LoginStateOf(const std::wstring& readerName);

// Command 205 only, for a logged-in user.
bool IsTokenCommandEnabled(UINT commandId, DWORD loginState);

// 32785 always, 32794 for a container that is not the default, 32796 for the default one and
// 205: each for a logged-in user; the default mark is unknown when the container cannot be
// looked up, which disables the commands that need it.
bool IsContainerCommandEnabled(UINT commandId, DWORD loginState, std::optional<bool> isDefault);

struct CKeyFacts {
    DWORD loginState = 0;
    bool hasCertificate = false;
    bool registered = false;
};

// 190 with a certificate, 205 for a logged-in user, 32775 for a certificate not in the user's
// store and 32779 for one that is.
bool IsKeyCommandEnabled(UINT commandId, const CKeyFacts& facts);

}  // namespace STreeItemInfo
