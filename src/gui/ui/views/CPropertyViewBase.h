// What the four views of the right pane share: a resizable form laid out
// from the view's dialog template in the interface language, whose header
// text and separator line follow the pane's width, and the frame facade the
// view reaches the frame through (null without a frame).
#pragma once

#include <QString>
#include <string>

#include "gui/widgets/CALRResizeableFormView.h"
#include "program/ui/CFrameFacade.h"
#include "program/ui/IRightView.h"

class QLabel;

class CPropertyViewBase : public CALRResizeableFormView, public IRightView {
public:
    // The views grow both ways on their first update.
    static constexpr UINT kEnlargeBoth = kEnlargeHorizontal | kEnlargeVertical;

    CPropertyViewBase(UINT templateId, UINT headerId, UINT separatorId, CFrameFacadePtr facade,
                      QWidget* parent);

    // The header's text as shown.
    QString HeaderText() const;

protected:
    // Lays the form out and anchors the header and the separator (stretching across).
    void OnInitialUpdate() override;

    void SetHeaderText(const std::wstring& text);
    // The text control `controlId` carries in the template the form was built from.
    std::wstring TemplateText(UINT controlId) const;
    const CFrameFacadePtr& Facade() const { return m_facade; }

private:
    QLabel* Header() const;

    UINT m_headerId;
    UINT m_separatorId;
    CFrameFacadePtr m_facade;
};
