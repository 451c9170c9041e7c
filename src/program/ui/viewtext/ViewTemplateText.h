// The text a control of a view's dialog template carries, in the interface
// language: the header templates ("Token %s<%s> properties", "%s   Container")
// and fixed texts ("No Velkora's detected.").
#pragma once

#include <string>

#include "platform/WinTypes.h"

namespace viewtext {

// Empty when the template or the control is missing.
std::wstring ViewTemplateText(UINT dialogId, UINT controlId);

}  // namespace viewtext
