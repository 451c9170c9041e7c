// A form view whose controls keep their designed layout at the form's natural
// size and follow the view when it grows: each registered control's edges
// move by fixed percentages of the growth (CSizingAnchors). Below the natural
// size the controls stay where they were designed and the view scrolls; a
// view that follows its size (FollowViewSize) never scrolls, and its controls
// move back by the shortfall as they move forward by the growth.
//
// The controls live on Form(), the widget the view scrolls. The owner calls
// InitialUpdate() once after creating the view (a view shown before that does
// it itself); derived views override OnInitialUpdate(), call the base first
// and register their controls after it.
#pragma once

#include <QPointer>
#include <QScrollArea>
#include <QSize>
#include <list>

#include "gui/widgets/CSizingAnchors.h"
#include "platform/WinTypes.h"

class cdxCSizingDialog : public QScrollArea {
    Q_OBJECT

public:
    // Enlargement flags of the first update: the view grows around itself.
    static constexpr UINT kEnlargeHorizontal = 1;
    static constexpr UINT kEnlargeVertical = 2;
    static constexpr int kEnlargePercent = 10;

    cdxCSizingDialog(UINT templateId, UINT enlargeFlags, QWidget* parent = nullptr);
    ~cdxCSizingDialog() override;

    UINT TemplateId() const { return m_templateId; }
    QWidget* Form() const { return m_form; }

    // Runs OnInitialUpdate the first time and fits the form and its controls to
    // the view's present size; later calls do nothing. Showing the view fits
    // them again.
    void InitialUpdate();
    bool IsInitialUpdateDone() const { return m_initialUpdateDone; }

    // Registers a control of the form with a horizontal and a vertical mode
    // (CSizingAnchors::Mode) and places it for the view's present growth.
    // Refused (false, nothing added) before the initial update, for a null
    // control, one that is not a direct child of Form(), or when all four
    // percentages are 0. A registered control that is destroyed is skipped.
    bool AddSizedControl(QWidget* control, int horizontalMode, int verticalMode);
    bool AddSizedControl(QWidget* control, const CSizingAnchors& anchors);
    // `twin` gets the same rectangle as the registered `control` from now on.
    bool AddEqualControl(QWidget* control, QWidget* twin);
    int SizedControlCount() const { return static_cast<int>(m_entries.size()); }

    // The form's natural size (the template's), or (0, 0) when it could not be
    // measured; the size the layout was designed for (-1 wide until the
    // initial update); the view's size when the initial update ran.
    QSize ReferenceSize() const { return m_referenceSize; }
    QSize InitialSize() const { return m_initialSize; }
    QSize WindowSizeAtInit() const { return m_windowSizeAtInit; }
    // The growth the controls are placed for now (never negative unless the
    // form follows the view's size).
    QSize Growth() const;

    // The control with that id on the form, or null.
    QWidget* Control(DWORD id) const;

protected:
    // Measures the natural size, enlarges the view by the flags and marks the
    // update done.
    virtual void OnInitialUpdate();
    // The natural size of the form; false when it cannot be known.
    virtual bool MeasureNaturalSize(QSize& size) const;
    // From now on the form has the view's size at every size: no scroll bars.
    void FollowViewSize();

    void resizeEvent(QResizeEvent* e) override;
    void showEvent(QShowEvent* e) override;

private:
    struct ControlInfo {
        std::vector<QPointer<QWidget>> windows;  // all get the same rectangle
        CSizingAnchors anchors;
        CEdgeRect reference;
    };

    void Enlarge();
    void PlaceAll();
    void Place(const ControlInfo& entry, const QSize& growth) const;
    void FitForm(const QSize& growth);

    UINT m_templateId;
    UINT m_enlargeFlags;
    bool m_initialUpdateDone = false;
    bool m_followView = false;
    QWidget* m_form;  // the scrolled widget, owned by the scroll area
    std::list<ControlInfo> m_entries;
    QSize m_referenceSize{0, 0};
    QSize m_initialSize{-1, 0};
    QSize m_windowSizeAtInit{0, 0};
};
