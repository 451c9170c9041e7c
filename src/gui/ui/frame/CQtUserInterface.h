// The UI seam on Qt: message boxes, the wait cursor, popup menus, file dialogs and wizard pages,
// each owned by the main window. Installed for its lifetime.
#pragma once

#include <QPointer>
#include <QWidget>

#include "program/ui/IUserInterface.h"

class CQtUserInterface final : public IUserInterface {
public:
    CQtUserInterface();
    ~CQtUserInterface() override;
    CQtUserInterface(const CQtUserInterface&) = delete;
    CQtUserInterface& operator=(const CQtUserInterface&) = delete;

    // The owner of what is shown; null shows it without owner.
    void SetOwner(QWidget* owner) { m_owner = owner; }

    int MessageBox(const std::wstring& text, const std::wstring& caption, UINT type) override;
    UINT SetCursor(UINT cursorId) override;
    UINT TrackPopupMenu(const CMenu& menu, int screenX, int screenY) override;
    std::optional<SFileDialogResult> FileDialog(const SFileDialogRequest& request) override;
    SWizardPageResult RunWizardPage(const SWizardPageRequest& request) override;
    std::unique_ptr<IProgressPage> ShowProgressPage(const SWizardPageRequest& request) override;
    void RunOffWindowThread(const std::function<void()>& work) override;

private:
    QPointer<QWidget> m_owner;
    IUserInterface* m_previous = nullptr;
    UINT m_cursor = IDC_ARROW;
};
