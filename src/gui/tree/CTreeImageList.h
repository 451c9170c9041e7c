// The tree's image list: the node icons by resource id, each at its index in the order the
// tree knows them (container, token, key with certificate, key without, registered key).
#pragma once

#include <QIcon>
#include <QSize>
#include <map>
#include <vector>

namespace STreeItemInfo::View {

class CTreeImageList {
public:
    static constexpr QSize kImageSize{16, 16};

    CTreeImageList();

    // The image index of an icon resource id; -1 for an id the list does not hold.
    int IndexOf(int iconId) const;
    // The icon at an index; a null icon outside the list.
    QIcon Icon(int index) const;
    // The icon of a resource id; a null icon for an id the list does not hold.
    QIcon IconOf(int iconId) const { return Icon(IndexOf(iconId)); }
    int Count() const { return static_cast<int>(m_icons.size()); }

private:
    void Add(int iconId);

    std::vector<QIcon> m_icons;
    std::map<int, int> m_indexById;
};

}  // namespace STreeItemInfo::View
