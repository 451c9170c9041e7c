// A wizard page on Qt: the dialog of its template in the interface language, filled with the
// request's values. The first page of a wizard opens centred over its parent, every later one
// where the user left the last; the page hands its corner on when it closes. A progress page
// is shown without its own loop, takes the input of the whole program while it is up, and
// ignores Enter, Escape and the close box. The help topic is the "helpTopic" property.
#pragma once

#include "gui/resources/CDialogLang.h"
#include "program/ui/WizardPage.h"

class QLineEdit;

class CWizardPage final : public CDialogLang {
    Q_OBJECT

public:
    enum class EKind { Modal, Progress };

    CWizardPage(const SWizardPageRequest& request, QWidget* parent, EKind kind = EKind::Modal);
    ~CWizardPage() override;

    // What the controls hold now: the request's texts and checks with the user's edits.
    SWizardPageValues Values() const;

    void accept() override;
    void reject() override;
    void done(int code) override;

protected:
    void showEvent(QShowEvent* e) override;
    void OnCommand(UINT id) override;
    void OnLanguageChanged() override;

private:
    void ApplyValues(const SWizardPageValues& values);
    void ConnectEdits();
    void UpdateForward();
    void SaveCorner();

    SWizardPageRequest m_request;
    EKind m_kind;
    bool m_placed = false;
};
