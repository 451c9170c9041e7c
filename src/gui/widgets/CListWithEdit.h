// A report list above a read-only detail box with a draggable bar between
// them, put in place of a placeholder control of a form.
//
// The list is a QTreeWidget in list mode (object name and control id of the
// list id, single selection, full rows, columns not sortable); the detail box
// a CEdit_Ex with the box id. Rows are QTreeWidgetItems: a view whose rows
// answer their texts on demand subclasses QTreeWidgetItem and overrides
// data(); the list owns its items, so an item that owns its row object
// destroys it when the entry is deleted.
//
// Notifications reach the owning view as signals of this widget:
// itemStateChanged when a row becomes current or selected (show its detail),
// itemDeleting before a row goes (not while the widget itself is destroyed:
// rows that own data free it in their item's destructor), tabPastEnd when Tab
// brings the focus back from the detail box to the list (the frame then
// activates the tree pane).
//
// When the widget is resized the splitter keeps the list-to-box ratio; when
// the list's client area changes width (the widget resized, the bar dragged, a
// scroll bar shown or hidden) the columns are rescaled so that they keep their
// proportions and fill it.
#pragma once

#include <QStringList>
#include <QWidget>
#include <cstdint>
#include <vector>

#include "platform/WinTypes.h"

class QFont;
class QTreeWidget;
class QTreeWidgetItem;
class CEdit_Ex;
class CSimpleSplitResendingNotifications;

class CListWithEdit : public QWidget {
    Q_OBJECT

public:
    static constexpr int kMinPane = 10;
    static constexpr int kBarWidth = 4;
    static constexpr std::int32_t kListWeight = 80;
    static constexpr std::int32_t kEditWeight = 10;

    CListWithEdit(UINT listId, UINT editId, QWidget* parent = nullptr);
    ~CListWithEdit() override;

    // Takes the place of `parent`'s control `controlId` (its position, size,
    // id, visibility and place in the tab order; the placeholder is deleted)
    // and builds the list, the box and the splitter. Without such a control
    // the widget becomes a child of `parent` as it is. False when the parent
    // is null or the widget is already created.
    virtual bool Create(QWidget* parent, UINT controlId);
    bool IsCreated() const;

    QTreeWidget* List() const { return m_list; }
    CEdit_Ex* Edit() const { return m_edit; }
    CSimpleSplitResendingNotifications* Splitter() const { return m_splitter; }
    UINT ListId() const { return m_listId; }
    UINT EditId() const { return m_editId; }

    int GetItemCount() const;
    // Appends a row the list takes ownership of; answers its index (-1 before Create).
    int AddRow(QTreeWidgetItem* item);
    // Appends a row of plain texts (one per column); answers its index.
    int AddRow(const QStringList& texts);

    // The detail box's text and font (the views give it a fixed-pitch one).
    void SetDetailText(const QString& text);
    void SetEditFont(const QFont& font);

    // Focus: true when the list has it (or last had it), false for the box.
    bool GetFocusFlag() const { return m_focusOnList; }
    void ToggleFocus();
    // Flag true: selects and focuses row 0 when no row is selected and the list
    // is not empty, then focuses the list; false: focuses the box.
    void SetFocusToCurrent();
    // What Tab does in the widget (the widget handles Tab in its children
    // itself): toggles the focus; when that brings it back to the list, emits
    // tabPastEnd (the owner then moves on, to the tree) and answers true.
    bool HandleTab();

signals:
    void itemStateChanged(int row);
    void itemDeleting(int row);
    void tabPastEnd();

protected:
    void resizeEvent(QResizeEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void TakePlaceOf(QWidget* placeholder);
    void BuildChildren();
    std::vector<int> ColumnWidths() const;
    int ListClientWidth() const;
    void RescaleColumns(const std::vector<int>& oldWidths, int clientWidth);

    UINT m_listId;
    UINT m_editId;
    bool m_focusOnList = true;
    CSimpleSplitResendingNotifications* m_splitter = nullptr;  // children; null before Create
    QTreeWidget* m_list = nullptr;
    CEdit_Ex* m_edit = nullptr;
};
