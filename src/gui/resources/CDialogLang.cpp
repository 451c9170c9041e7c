#include "gui/resources/CDialogLang.h"

#include <QAbstractButton>

#include "gui/resources/LangDialogBuilder.h"
#include "gui/resources/LanguageEvents.h"
#include "program/app/LangResource.h"

namespace {

constexpr DWORD kIdOk = 1;
constexpr DWORD kIdCancel = 2;

// Dialogs without a sizing border and without a system menu get neither the
// resize grip nor the help button.
void SetWindowFlags(QDialog* dialog, const CDialogTemplate& dlg) {
    Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (dlg.style & WS_SYSMENU) {
        flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    }
    dialog->setWindowFlags(flags);
}

}  // namespace

CDialogLang::CDialogLang(UINT templateId, QWidget* parent)
    : QDialog(parent), m_templateId(templateId), m_template(LoadLangDialogTemplate(templateId)) {
    if (!m_template) {
        return;
    }
    SetWindowFlags(this, *m_template);
    CLangDialogBuilder::Build(this, *m_template);
    ConnectButtons();
}

QWidget* CDialogLang::Control(DWORD id) const {
    return CLangDialogBuilder::FindControl(this, id);
}

void CDialogLang::ConnectButtons() {
    for (auto* button : findChildren<QAbstractButton*>(Qt::FindDirectChildrenOnly)) {
        const DWORD id = CLangDialogBuilder::ControlId(button);
        connect(button, &QAbstractButton::clicked, this, [this, id] {
            if (id == kIdOk) {
                accept();
            } else if (id == kIdCancel) {
                reject();
            } else {
                OnCommand(id);
            }
        });
    }
}

void CDialogLang::OnCommand(UINT id) {
    emit commandTriggered(static_cast<int>(id));
}

bool CDialogLang::event(QEvent* e) {
    if (e->type() == CLanguageChangedEvent::kType) {
        OnLanguageChanged();
        return true;
    }
    return QDialog::event(e);
}

void CDialogLang::OnLanguageChanged() {
    auto fresh = LoadLangDialogTemplate(m_templateId);
    if (!fresh) {
        return;
    }
    CLangDialogBuilder::ApplyTexts(this, *fresh);
    m_template = std::move(fresh);
}

std::unique_ptr<QDialog> CreateLangDialog(UINT templateId, QWidget* parent) {
    const auto dlg = LoadLangDialogTemplate(templateId);
    if (!dlg) {
        return nullptr;
    }
    auto dialog = std::make_unique<QDialog>(parent);
    SetWindowFlags(dialog.get(), *dlg);
    dialog->setModal(false);
    CLangDialogBuilder::Build(dialog.get(), *dlg);
    return dialog;
}
