#include "program/ui/viewtext/ContainerViewText.h"

#include "platform/text/FormatString.h"

namespace viewtext {

std::wstring ContainerViewHeader(const std::wstring& headerTemplate, const std::wstring& name) {
    return FormatString(headerTemplate, name);
}

}  // namespace viewtext
