// The container view's header: its template ("%s   Container") with the name.
#pragma once

#include <string>

namespace viewtext {

std::wstring ContainerViewHeader(const std::wstring& headerTemplate, const std::wstring& name);

}  // namespace viewtext
