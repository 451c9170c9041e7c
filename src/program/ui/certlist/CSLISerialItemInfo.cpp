#include "program/ui/certlist/CSLISerialItemInfo.h"

#include "program/ui/certlist/RowFormats.h"

namespace SSertListItemInfo {

CSLISerialItemInfo::CSLISerialItemInfo(std::wstring caption, std::vector<BYTE> storedBytes)
    : m_caption(std::move(caption)), m_bytes(std::move(storedBytes)), m_text(SerialText(m_bytes)) {}

}  // namespace SSertListItemInfo
