// The logic of the three container commands of the tree: delete the container (32785), set it
// as the default container (32794), remove its default state (32796). Messages go through the
// UI seam; the window hears of the operation through the hook (which may be null).
#pragma once

#include <string>

#include "program/token/IContainerOperationHook.h"

class CTokenInfo;

namespace SVKCERT {

// Asks "Do you really want to remove ..."; on Yes, and when there is a token information
// object, deletes the container through it. A failure shows the error's description.
void DeleteContainerCommand(CTokenInfo* token, const std::wstring& container,
                            IContainerOperationHook* hook);

// Marks the container as the default and tells the outcome in a message box.
void SetDefaultContainerCommand(CTokenInfo* token, const std::wstring& container,
                                IContainerOperationHook* hook);

// Clears the container's default mark and tells the outcome in a message box.
void RemoveDefaultContainerCommand(CTokenInfo* token, const std::wstring& container,
                                   IContainerOperationHook* hook);

}  // namespace SVKCERT
