#include "gui/ui/views/CRowIconRegistry.h"

#include "gui/resources/ResourceImages.h"

int CRowIconRegistry::Register(DWORD iconId) {
    if (const int known = IndexOf(iconId); known >= 0) {
        return known;
    }
    m_images.push_back(ResourceIcon(static_cast<int>(iconId)));
    const int index = Count() - 1;
    m_indexes.emplace(iconId, index);
    return index;
}

int CRowIconRegistry::IndexOf(DWORD iconId) const {
    const auto it = m_indexes.find(iconId);
    return it != m_indexes.end() ? it->second : -1;
}

QIcon CRowIconRegistry::Image(int index) const {
    if (index < 0 || index >= Count()) {
        return {};
    }
    return m_images[static_cast<size_t>(index)];
}
