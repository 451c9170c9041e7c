// A resizable form view whose form is built from a dialog template in the
// interface language (controls keep their ids: Control(id) finds them). Its
// natural size is the built form's size.
#pragma once

#include <optional>

#include "gui/widgets/cdxCSizingDialog.h"
#include "program/app/DialogTemplate.h"

class CALRResizeableFormView : public cdxCSizingDialog {
    Q_OBJECT

public:
    CALRResizeableFormView(UINT templateId, UINT enlargeFlags, QWidget* parent = nullptr);

    // False when the template could not be found or read: the form is empty.
    bool IsBuilt() const { return m_template.has_value(); }
    const CDialogTemplate* Template() const { return m_template ? &*m_template : nullptr; }

protected:
    bool MeasureNaturalSize(QSize& size) const override;

private:
    std::optional<CDialogTemplate> m_template;
    QSize m_builtSize;
};
