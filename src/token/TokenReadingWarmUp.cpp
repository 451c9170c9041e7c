#include "token/TokenReadingWarmUp.h"

#include "token/ReaderNames.h"
#include "token/STokenRecord.h"

namespace SVKCERT {

void WarmUpTokenReading() {
    for (const std::wstring& reader : EnumReaderNames()) {
        // What fails here fails again, and is reported, in the listing itself.
        ReadTokenRecord(reader);
    }
}

}  // namespace SVKCERT
