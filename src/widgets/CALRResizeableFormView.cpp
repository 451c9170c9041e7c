#include "widgets/CALRResizeableFormView.h"

#include "app/LangDialogBuilder.h"
#include "app/lang/LangResource.h"

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
