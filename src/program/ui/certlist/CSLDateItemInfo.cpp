#include "program/ui/certlist/CSLDateItemInfo.h"

#include "program/ui/certlist/RowFormats.h"

namespace SSertListItemInfo {

CSLDateItemInfo::CSLDateItemInfo(std::wstring caption, const FILETIME& time)
    : m_caption(std::move(caption)), m_time(time), m_text(DateText(m_time)) {}

}  // namespace SSertListItemInfo
