// Resource ids of the property views' templates, header controls and texts.
#pragma once

#include "platform/WinTypes.h"

namespace viewtext {

// Dialog templates.
inline constexpr UINT kContainerViewDialog = 106;
inline constexpr UINT kCertificateViewDialog = 107;
inline constexpr UINT kTokenViewDialog = 108;
inline constexpr UINT kKeyViewDialog = 198;

// Controls of the templates.
inline constexpr UINT kCertOrKeyHeaderControl = 1008;
inline constexpr UINT kContainerHeaderControl = 1036;
inline constexpr UINT kTokenHeaderControl = 1048;
inline constexpr UINT kNoTokenTextControl = 1051;

// Column captions.
inline constexpr UINT kColumnProperty = 150;
inline constexpr UINT kColumnValue = 151;

}  // namespace viewtext
