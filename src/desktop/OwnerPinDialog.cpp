#include "desktop/OwnerPinDialog.h"

#include <openssl/crypto.h>

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/errors/WinError.h"
#include "platform/text/Utf.h"
#include "platform/token/TokenStore.h"
#include "platform/token/TokenWorld.h"

namespace {

struct Texts {
    const char* title;
    const char* reader;
    const char* token;
    const char* pin;
    const char* unnamed;
    const char* noToken;
    const char* wrong;
    const char* locked;
    const char* unreadable;
};

constexpr Texts kEnglish = {"Token PIN",
                            "Reader:",
                            "Token:",
                            "User PIN:",
                            "<Unnamed>",
                            "There is no token in this reader.",
                            "Wrong PIN. Tries left: %1.",
                            "The PIN is locked.",
                            "The token cannot be read."};
constexpr Texts kRussian = {"PIN-код токена",
                            "Считыватель:",
                            "Токен:",
                            "PIN-код пользователя:",
                            "<Без имени>",
                            "В считывателе нет токена.",
                            "Неверный PIN-код. Осталось попыток: %1.",
                            "PIN-код заблокирован.",
                            "Токен не читается."};

}  // namespace

// The default locale, which the GUI keeps at the interface language, not the system's.
bool COwnerPinDialog::Russian() const {
    return QLocale().language() == QLocale::Russian;
}

COwnerPinDialog::COwnerPinDialog(QWidget* owner, const std::wstring& reader, vkGr_PIN_Login login)
    : QDialog(owner), m_readerName(reader), m_reader(WideToUtf8(reader)), m_login(login) {
    const Texts& t = Russian() ? kRussian : kEnglish;
    setWindowTitle(QString::fromUtf8(t.title));
    setObjectName("OwnerPinDialog");

    QString label;
    bool present = false;
    try {
        vkstore::TokenWorld world;
        auto state = world.Reader(m_reader);
        if (state && state->token) {
            present = true;
            label = QString::fromStdString(state->token->label);
        }
    } catch (...) {
    }
    if (label.isEmpty()) {
        label = QString::fromUtf8(t.unnamed);
    }

    auto* form = new QFormLayout;
    form->addRow(QString::fromUtf8(t.reader), new QLabel(QString::fromStdString(m_reader)));
    form->addRow(QString::fromUtf8(t.token), new QLabel(label));
    m_edit = new QLineEdit;
    m_edit->setObjectName("pin");
    m_edit->setEchoMode(QLineEdit::Password);
    m_edit->setMaxLength(256);
    form->addRow(QString::fromUtf8(t.pin), m_edit);

    m_status = new QLabel;
    m_status->setObjectName("status");
    m_status->setWordWrap(true);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &COwnerPinDialog::Verify);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_status);
    layout->addWidget(buttons);

    if (!present) {
        ShowStatus(QString::fromUtf8(t.noToken), true);
        m_edit->setEnabled(false);
        m_ok->setEnabled(false);
    }
}

COwnerPinDialog::~COwnerPinDialog() {
    if (!m_pin.empty()) {
        OPENSSL_cleanse(m_pin.data(), m_pin.size());
    }
}

void COwnerPinDialog::ShowStatus(const QString& text, bool error) {
    m_status->setText(text);
    m_status->setStyleSheet(error ? "color: #b00020" : "");
}

void COwnerPinDialog::Verify() {
    QByteArray typed = m_edit->text().toUtf8();
    m_edit->clear();
    std::string pin(typed.constData(), static_cast<std::size_t>(typed.size()));
    typed.fill('\0');
    try {
        TryPin(pin);
    } catch (...) {
        ShowStatus(QString::fromUtf8((Russian() ? kRussian : kEnglish).unreadable), true);
    }
    OPENSSL_cleanse(pin.data(), pin.size());
}

void COwnerPinDialog::TryPin(std::string& pin) {
    if (pin.empty()) {
        return;
    }
    const DWORD error = m_login ? m_login(m_readerName, pin.c_str()) : ERROR_SUCCESS;
    const Texts& t = Russian() ? kRussian : kEnglish;
    switch (error) {
        case ERROR_SUCCESS:
            m_pin.swap(pin);
            accept();
            return;
        case SCARD_W_WRONG_CHV:
            if (const auto left = vkstore::PinTriesLeft(m_reader)) {
                ShowStatus(QString::fromUtf8(t.wrong).arg(*left), true);
            } else {
                ShowStatus(QString::fromUtf8(t.unreadable), true);
            }
            return;
        case SCARD_W_CHV_BLOCKED:
            ShowStatus(QString::fromUtf8(t.locked), true);
            m_edit->setEnabled(false);
            m_ok->setEnabled(false);
            return;
        case SCARD_E_UNKNOWN_READER:
        case SCARD_E_NO_SMARTCARD:
        case SCARD_W_REMOVED_CARD:
            ShowStatus(QString::fromUtf8(t.noToken), true);
            return;
        default:
            ShowStatus(QString::fromUtf8(t.unreadable), true);
    }
}
