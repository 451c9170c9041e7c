#include "gui/ui/frame/CQtUserInterface.h"

#include <QApplication>
#include <QCursor>
#include <QEventLoop>
#include <QMenu>
#include <QMessageBox>

#include <exception>
#include <thread>

#include "gui/help/CHelper.h"
#include "gui/resources/LangMenuBuilder.h"
#include "gui/ui/frame/CCheckedFileDialog.h"
#include "gui/ui/frame/CWizardPage.h"

namespace {

QMessageBox::Icon IconOf(UINT type) {
    switch (type & MB_ICONMASK) {
        case MB_ICONERROR:
            return QMessageBox::Critical;
        case MB_ICONQUESTION:
            return QMessageBox::Question;
        case MB_ICONWARNING:
            return QMessageBox::Warning;
        case MB_ICONINFORMATION:
            return QMessageBox::Information;
        default:
            return QMessageBox::NoIcon;
    }
}

QMessageBox::StandardButtons ButtonsOf(UINT type) {
    switch (type & MB_TYPEMASK) {
        case MB_OKCANCEL:
            return QMessageBox::Ok | QMessageBox::Cancel;
        case MB_YESNOCANCEL:
            return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        case MB_YESNO:
            return QMessageBox::Yes | QMessageBox::No;
        default:
            return QMessageBox::Ok;
    }
}

int ResultOf(int button, UINT type) {
    switch (button) {
        case QMessageBox::Ok:
            return IDOK;
        case QMessageBox::Yes:
            return IDYES;
        case QMessageBox::No:
            return IDNO;
        case QMessageBox::Cancel:
            return IDCANCEL;
        default:
            // Closed without a button: what the box's escape button means.
            return UnattendedAnswer(type);
    }
}

// A progress page on the screen for as long as it lives.
class CQtProgressPage final : public IProgressPage {
public:
    CQtProgressPage(const SWizardPageRequest& request, QWidget* owner)
        : m_page(request, owner, CWizardPage::EKind::Progress) {
        m_page.show();
        // Painted before the work starts, also when the work keeps this thread busy.
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }

private:
    CWizardPage m_page;
};

}  // namespace

CQtUserInterface::CQtUserInterface() : m_previous(SetUserInterface(this)) {}

CQtUserInterface::~CQtUserInterface() {
    if (m_cursor != IDC_ARROW && QApplication::overrideCursor() != nullptr) {
        QApplication::restoreOverrideCursor();
    }
    SetUserInterface(m_previous);
}

int CQtUserInterface::MessageBox(const std::wstring& text, const std::wstring& caption, UINT type) {
    QMessageBox box(IconOf(type), QString::fromStdWString(caption), QString::fromStdWString(text),
                    ButtonsOf(type), m_owner.data());
    const int button = box.exec();
    return ResultOf(button, type);
}

UINT CQtUserInterface::SetCursor(UINT cursorId) {
    const UINT previous = m_cursor;
    const bool wasWaiting = previous == IDC_WAIT;
    const bool waiting = cursorId == IDC_WAIT;
    if (waiting && !wasWaiting) {
        QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    } else if (!waiting && wasWaiting && QApplication::overrideCursor() != nullptr) {
        QApplication::restoreOverrideCursor();
    }
    m_cursor = cursorId;
    return previous;
}

UINT CQtUserInterface::TrackPopupMenu(const CMenu& menu, int screenX, int screenY) {
    std::unique_ptr<QMenu> popup = CLangMenuBuilder::Build(menu, m_owner.data());
    QAction* chosen = popup->exec(QPoint(screenX, screenY));
    return chosen != nullptr ? CLangMenuBuilder::CommandId(chosen) : 0;
}

std::optional<SFileDialogResult> CQtUserInterface::FileDialog(const SFileDialogRequest& request) {
    CCheckedFileDialog dialog(m_owner.data(), request);
    QObject::connect(&dialog, &CCheckedFileDialog::helpRequested, &dialog,
                     [](const QString& topic) {
                         SDP::singleton_auto_pointer<SHTMLHelper::CHelper> help;
                         help->ShowTopic(topic);
                     });
    // What the accept hook shows is owned by the dialog.
    const QPointer<QWidget> owner = m_owner;
    m_owner = &dialog;
    dialog.exec();
    m_owner = owner;
    return dialog.Result();
}

SWizardPageResult CQtUserInterface::RunWizardPage(const SWizardPageRequest& request) {
    CWizardPage page(request, m_owner.data());
    // What the page shows of its own (a refusal, the length limit) is owned by the page.
    const QPointer<QWidget> owner = m_owner;
    m_owner = &page;
    SWizardPageResult result;
    result.endCode = page.exec();
    if (result.endCode == QDialog::Rejected) {
        result.endCode = IDCANCEL;
    }
    result.values = page.Values();
    m_owner = owner;
    return result;
}

std::unique_ptr<IProgressPage> CQtUserInterface::ShowProgressPage(
    const SWizardPageRequest& request) {
    return std::make_unique<CQtProgressPage>(request, m_owner.data());
}

void CQtUserInterface::RunOffWindowThread(const std::function<void()>& work) {
    QEventLoop loop;
    std::exception_ptr failure;
    std::thread worker([&] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();
    if (failure) {
        std::rethrow_exception(failure);
    }
}
