#include "gui/ui/views/CPropertyViewBase.h"

#include <QLabel>

#include "gui/resources/LangDialogBuilder.h"
#include "gui/ui/views/ViewText.h"
#include "gui/widgets/CSizingAnchors.h"

CPropertyViewBase::CPropertyViewBase(UINT templateId, UINT headerId, UINT separatorId,
                                     CFrameFacadePtr facade, QWidget* parent)
    : CALRResizeableFormView(templateId, kEnlargeBoth, parent),
      m_headerId(headerId),
      m_separatorId(separatorId),
      m_facade(std::move(facade)) {}

void CPropertyViewBase::OnInitialUpdate() {
    CALRResizeableFormView::OnInitialUpdate();
    AddSizedControl(Control(m_headerId), CSizingAnchors::kStretch, CSizingAnchors::kKeep);
    AddSizedControl(Control(m_separatorId), CSizingAnchors::kStretch, CSizingAnchors::kKeep);
}

QLabel* CPropertyViewBase::Header() const {
    return qobject_cast<QLabel*>(Control(m_headerId));
}

QString CPropertyViewBase::HeaderText() const {
    const QLabel* header = Header();
    return header != nullptr ? header->text() : QString();
}

void CPropertyViewBase::SetHeaderText(const std::wstring& text) {
    if (QLabel* header = Header()) {
        CLangDialogBuilder::SetControlText(header, ToQString(text));
    }
}

std::wstring CPropertyViewBase::TemplateText(UINT controlId) const {
    const CDialogTemplate* form = Template();
    const CDialogItemTemplate* item = form != nullptr ? form->FindItem(controlId) : nullptr;
    return item != nullptr ? item->Text() : std::wstring();
}
