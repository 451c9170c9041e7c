#include "program/token/ReaderNames.h"

#include "platform/middleware/VKAPIi.h"

namespace SVKCERT {

std::vector<std::wstring> EnumReaderNames() {
    VKAPIi_Context context;
    context.Init(0);
    VKLibT_Array<VKLib_String, 4> readers;
    context.Enum_Readers(readers);
    std::vector<std::wstring> names;
    names.reserve(readers.Get_Count());
    for (std::size_t i = 0; i < readers.Get_Count(); ++i) {
        // Through the narrow form and back, as the provider will see the name.
        const VKLib_StringA narrow(readers[i]);
        names.emplace_back(VKLib_String(narrow.Get_Buffer(0)).Get_Buffer(0));
    }
    context.Free();
    return names;
}

}  // namespace SVKCERT
