// The small icons of a view's list: icon resources registered in order, each
// with its index in the list's image list, so that a row naming an icon
// resource id is drawn with the image of that index.
#pragma once

#include <QIcon>
#include <map>
#include <vector>

#include "platform/WinTypes.h"

class CRowIconRegistry {
public:
    static constexpr int kIconSize = 16;

    // The index of the icon; an icon registered before keeps its first index.
    int Register(DWORD iconId);
    // -1 for an icon that was not registered.
    int IndexOf(DWORD iconId) const;
    int Count() const { return static_cast<int>(m_images.size()); }

    // The image at that index; a null icon outside the list.
    QIcon Image(int index) const;
    // The image registered for that icon resource; a null icon for an unknown one.
    QIcon ImageFor(DWORD iconId) const { return Image(IndexOf(iconId)); }

private:
    std::vector<QIcon> m_images;
    std::map<DWORD, int> m_indexes;
};
