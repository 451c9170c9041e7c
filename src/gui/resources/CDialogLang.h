// A dialog built from a dialog template in the interface language. The
// wizard pages and the About dialog derive from it. Buttons IDOK and IDCANCEL
// accept and reject; other buttons report their id through OnCommand and the
// signal commandTriggered. On a change of the interface language the texts
// of the template in the new language replace the old ones (OnLanguageChanged).
#pragma once

#include <QDialog>
#include <memory>
#include <optional>

#include "platform/WinTypes.h"
#include "program/app/DialogTemplate.h"

class CDialogLang : public QDialog {
    Q_OBJECT

public:
    CDialogLang(UINT templateId, QWidget* parent);

    UINT TemplateId() const { return m_templateId; }
    // False when the template could not be found or read: the dialog is empty.
    bool IsBuilt() const { return m_template.has_value(); }
    // The template the dialog was built from (or re-texted from last).
    const CDialogTemplate* Template() const { return m_template ? &*m_template : nullptr; }

    // The control with that id, or null.
    QWidget* Control(DWORD id) const;
    template <typename W>
    W* ControlAs(DWORD id) const {
        return qobject_cast<W*>(Control(id));
    }

signals:
    void commandTriggered(int id);

protected:
    bool event(QEvent* e) override;
    // Texts of the template in the new language; derived dialogs that fill
    // texts of their own override it and fill them again.
    virtual void OnLanguageChanged();
    virtual void OnCommand(UINT id);

private:
    void ConnectButtons();

    UINT m_templateId;
    std::optional<CDialogTemplate> m_template;
};

// A modeless dialog built from the template found in the interface language;
// not shown. Null when the template could not be found or read.
std::unique_ptr<QDialog> CreateLangDialog(UINT templateId, QWidget* parent);
