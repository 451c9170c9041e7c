#include "program/token/ContainerNames.h"

#include "platform/middleware/VKLib.h"
#include "platform/text/Utf.h"

namespace SVKCERT {

std::wstring FullContainerName(std::wstring_view reader, std::wstring_view container) {
    std::wstring full = L"\\\\.\\";
    full.append(reader);
    full.push_back(L'\\');
    full.append(container);
    return full;
}

std::string NarrowName(std::wstring_view name) {
    return WideToUtf8(name);
}

std::wstring WideName(const char* narrow) {
    const VKLib_String wide(narrow != nullptr ? narrow : "");
    return wide.Get_Buffer(0);
}

const wchar_t* KeySpecName(unsigned long keySpec) {
    return keySpec == 1 ? L"Exchange" : L"Signature";
}

}  // namespace SVKCERT
