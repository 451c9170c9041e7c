// A property view whose body is a list with a detail box (CListWithEditEx,
// IDC_LIST_PART, IDC_DETAIL_PART) put in place of a placeholder control of the
// template. The list has two columns, "Property" and "Value", sharing the
// list's width by weights, a small-icon list of the icons the view registers,
// and the detail box shows the selected row's detail in a fixed-pitch font.
//
// Focus: when the view itself receives the focus, it goes on to the side of
// the list widget that had it last (the list selects its first row when none
// is selected). Tab in the list goes to the detail box; Tab in the detail box
// goes back to the list's side and on to the tree pane through the frame.
//
// The split between list and box opens as the frame's split record says and
// is written back to it when the view goes, so it carries over to the next view.
#pragma once

#include <QString>
#include <vector>

#include "gui/ui/views/CPropertyViewBase.h"
#include "gui/ui/views/CRowIconRegistry.h"
#include "program/ui/CListSplitRecord.h"

class CListWithEditEx;
class QTreeWidget;

class CListPropertyView : public CPropertyViewBase {
public:
    struct SListLayout {
        UINT placeholderId = 0;
        int propertyWeight = 0;
        int valueWeight = 0;
        std::vector<DWORD> icons;  // registered in this order
    };

    CListPropertyView(UINT templateId, UINT headerId, UINT separatorId, SListLayout list,
                      CFrameFacadePtr facade, QWidget* parent);
    ~CListPropertyView() override;

    // Null before the initial update.
    CListWithEditEx* ListWidget() const { return m_listWidget; }
    QTreeWidget* List() const;
    int RowCount() const;
    const CRowIconRegistry& Icons() const { return m_icons; }
    // Hands the split to the frame's record now; the frame asks before it makes the next view,
    // which opens with that split.
    void StoreSplit();

protected:
    void OnInitialUpdate() override;
    void focusInEvent(QFocusEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

    // The text the detail box shows for row `row`.
    virtual QString DetailOf(int row) const = 0;

private:
    void CreateListWidget();
    void LayOutListPanes();
    void MakeColumns();
    void ShowDetail(int row);
    void OnTabPastEnd();

    SListLayout m_layout;
    CRowIconRegistry m_icons;
    // The split the list widget opens with and writes back when it goes; copied
    // to the frame's record while the frame is still there.
    CListSplitRecord m_split;
    CListWithEditEx* m_listWidget = nullptr;  // child of the form
};
