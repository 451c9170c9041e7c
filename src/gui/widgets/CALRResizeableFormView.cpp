#include "gui/widgets/CALRResizeableFormView.h"

#include "gui/resources/LangDialogBuilder.h"
#include "program/app/LangResource.h"

CALRResizeableFormView::CALRResizeableFormView(UINT templateId, UINT enlargeFlags, QWidget* parent)
    : cdxCSizingDialog(templateId, enlargeFlags, parent),
      m_template(LoadLangDialogTemplate(templateId)) {
    if (!m_template) {
        return;
    }
    CLangDialogBuilder::Build(Form(), *m_template);
    m_builtSize = Form()->size();
}

bool CALRResizeableFormView::MeasureNaturalSize(QSize& size) const {
    if (!m_template) {
        return false;
    }
    size = m_builtSize;
    return true;
}
