// Control ids of the property views' templates that the views lay out and fill, beside the
// header ids and template ids of viewtext/ViewIds.h.
#pragma once

#include "platform/WinTypes.h"

namespace views {

// The list widget's children.
inline constexpr UINT kListId = 123;
inline constexpr UINT kDetailBoxId = 124;

// Token view (template 108).
inline constexpr UINT kTokenSeparator = 1047;
inline constexpr UINT kTokenListPlaceholder = 1049;

// Container view (template 106).
inline constexpr UINT kContainerSeparator = 1045;
inline constexpr UINT kContainerArea = 1044;

// Key and certificate views (templates 198 and 107).
inline constexpr UINT kRowViewSeparator = 1014;
inline constexpr UINT kRowListPlaceholder = 1040;

}  // namespace views
