#include "gui/tree/CTreeImageList.h"

#include "gui/resources/ResourceImages.h"
#include "res/resource.h"

namespace STreeItemInfo::View {

CTreeImageList::CTreeImageList() {
    Add(IDI_CONTAINER);
    Add(IDI_TOKEN);
    Add(IDI_KEY_CERT);
    Add(IDI_KEY_NO_CERT);
    Add(IDI_KEY_CERT_REGISTERED);
}

void CTreeImageList::Add(int iconId) {
    m_indexById.emplace(iconId, static_cast<int>(m_icons.size()));
    m_icons.push_back(ResourceIcon(iconId));
}

int CTreeImageList::IndexOf(int iconId) const {
    const auto found = m_indexById.find(iconId);
    return found != m_indexById.end() ? found->second : -1;
}

QIcon CTreeImageList::Icon(int index) const {
    if (index < 0 || index >= Count()) {
        return {};
    }
    return m_icons[static_cast<std::size_t>(index)];
}

}  // namespace STreeItemInfo::View
