#include "gui/ui/frame/CWizardPage.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

#include "gui/resources/LangDialogBuilder.h"
#include "gui/resources/ResourceImages.h"
#include "platform/crypto/SecureBytes.h"
#include "program/app/LangResource.h"
#include "program/ui/IUserInterface.h"
#include "res/resource.h"

CWizardPage::CWizardPage(const SWizardPageRequest& request, QWidget* parent, EKind kind)
    : CDialogLang(request.templateId, parent), m_request(request), m_kind(kind) {
    setProperty("helpTopic", QString::fromStdString(request.helpTopic));
    if (m_kind == EKind::Progress) {
        setWindowModality(Qt::ApplicationModal);
        setWindowFlag(Qt::WindowCloseButtonHint, false);
    }
    OnLanguageChanged();
    for (const auto& [id, limit] : m_request.limits) {
        if (auto* edit = ControlAs<QLineEdit>(id)) {
            edit->setMaxLength(limit);
        }
    }
    for (UINT id : m_request.enabled) {
        if (QWidget* control = Control(id)) {
            control->setEnabled(true);
        }
    }
    ApplyValues(m_request.values);
    ConnectEdits();
    UpdateForward();
}

CWizardPage::~CWizardPage() {
    SaveCorner();
    m_request.values.Wipe();
}

void CWizardPage::OnLanguageChanged() {
    CDialogLang::OnLanguageChanged();
    setWindowTitle(QString::fromStdWString(LoadLangString(m_request.titleId)));
    setWindowIcon(ResourceIcon(static_cast<int>(m_request.iconId)));
    // The template's texts came back: the page's own values go on top again.
    if (m_placed) {
        ApplyValues(Values());
    }
}

void CWizardPage::ApplyValues(const SWizardPageValues& values) {
    for (const auto& [id, text] : values.texts) {
        QWidget* control = Control(id);
        if (auto* edit = qobject_cast<QLineEdit*>(control)) {
            edit->setText(QString::fromStdWString(text));
        } else if (control != nullptr) {
            CLangDialogBuilder::SetControlText(control, QString::fromStdWString(text));
        }
    }
    for (const auto& [id, checked] : values.checks) {
        if (auto* box = ControlAs<QCheckBox>(id)) {
            box->setChecked(checked);
        }
    }
}

SWizardPageValues CWizardPage::Values() const {
    SWizardPageValues values = m_request.values;
    for (auto& [id, text] : values.texts) {
        if (auto* edit = ControlAs<QLineEdit>(id)) {
            vk::crypto::WipeString(text);
            text = edit->text().toStdWString();
        }
    }
    for (auto& [id, checked] : values.checks) {
        if (auto* box = ControlAs<QCheckBox>(id)) {
            checked = box->isChecked();
        }
    }
    return values;
}

void CWizardPage::ConnectEdits() {
    for (const auto& [id, text] : m_request.values.texts) {
        auto* edit = ControlAs<QLineEdit>(id);
        if (edit == nullptr) {
            continue;
        }
        connect(edit, &QLineEdit::textChanged, this, [this] { UpdateForward(); });
        if (m_request.limits.contains(id)) {
            // Typing past the limit: the text stays and the user is told why.
            connect(edit, &QLineEdit::inputRejected, this, [this, edit] {
                if (edit->text().size() >= edit->maxLength()) {
                    GetUserInterface().MessageBox(m_request.limitMessage,
                                                  LoadLangString(IDR_MAINFRAME), MB_ICONWARNING);
                    edit->setFocus();
                }
            });
        }
    }
    for (const auto& [id, checked] : m_request.values.checks) {
        if (auto* box = ControlAs<QCheckBox>(id)) {
            connect(box, &QCheckBox::toggled, this, [this] { UpdateForward(); });
        }
    }
}

void CWizardPage::UpdateForward() {
    if (m_kind == EKind::Progress || !m_request.forwardEnabled) {
        return;
    }
    if (auto* forward = ControlAs<QPushButton>(IDOK)) {
        SWizardPageValues values = Values();
        forward->setEnabled(m_request.forwardEnabled(values));
        values.Wipe();
    }
}

void CWizardPage::showEvent(QShowEvent* e) {
    if (!m_placed) {
        m_placed = true;
        const SWizardPosition* position = m_request.position;
        if (position != nullptr && position->saved) {
            move(position->x, position->y);
        } else if (QWidget* owner = parentWidget(); owner != nullptr) {
            const QRect area = owner->window()->frameGeometry();
            move(area.center() - QPoint(width() / 2, height() / 2));
        }
        // The first edit takes the keyboard.
        for (const auto& [id, text] : m_request.values.texts) {
            if (auto* edit = ControlAs<QLineEdit>(id)) {
                edit->setFocus();
                break;
            }
        }
    }
    CDialogLang::showEvent(e);
}

void CWizardPage::OnCommand(UINT id) {
    if (id == kWizardBack) {
        done(kWizardBack);
        return;
    }
    if (m_request.onButton) {
        SWizardPageValues values = Values();
        m_request.onButton(id, values);
        ApplyValues(values);
        values.Wipe();
    }
}

void CWizardPage::accept() {
    if (m_kind == EKind::Progress) {
        return;
    }
    if (m_request.check) {
        SWizardPageValues values = Values();
        const std::optional<std::wstring> refusal = m_request.check(values);
        values.Wipe();
        if (refusal) {
            GetUserInterface().MessageBox(*refusal, LoadLangString(IDR_MAINFRAME), MB_ICONWARNING);
            return;
        }
    }
    CDialogLang::accept();
}

void CWizardPage::reject() {
    if (m_kind == EKind::Progress) {
        return;
    }
    CDialogLang::reject();
}

void CWizardPage::done(int code) {
    SaveCorner();
    CDialogLang::done(code);
}

void CWizardPage::SaveCorner() {
    if (m_request.position != nullptr && m_placed) {
        m_request.position->saved = true;
        m_request.position->x = pos().x();
        m_request.position->y = pos().y();
    }
}
