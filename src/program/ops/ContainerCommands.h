// The logic of the three container commands of the tree: delete the container (32785), set it
// as the default container (32794), remove its default state (32796). Messages go through the
// UI seam; the window hears of the operation through the hook (which may be null).
#pragma once

#include <functional>
#include <string>

#include "program/token/IContainerOperationHook.h"

class CTokenInfo;

namespace SVKCERT {

// The token information of a reader as it is at the time of the call, or null. Asked again
// after every question: while one is up, the tree may be read afresh and its objects freed.
using TokenLookup = std::function<CTokenInfo*(const std::wstring& readerName)>;

// Asks "Do you really want to remove ..."; on Yes, and when the reader's token information
// exists then, deletes the container through it. When the reader holds another token by then, or
// none, says the card was removed and deletes nothing. A failure shows the error's description.
void DeleteContainerCommand(const std::wstring& readerName, const TokenLookup& findToken,
                            const std::wstring& container, IContainerOperationHook* hook);

// Marks the container as the default and tells the outcome in a message box. The token is used
// before anything is shown.
void SetDefaultContainerCommand(CTokenInfo* token, const std::wstring& container,
                                IContainerOperationHook* hook);

// Clears the container's default mark and tells the outcome in a message box. The token is used
// before anything is shown.
void RemoveDefaultContainerCommand(CTokenInfo* token, const std::wstring& container,
                                   IContainerOperationHook* hook);

}  // namespace SVKCERT
