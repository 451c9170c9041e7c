#include "desktop/OwnerPinDialog.h"

#include <openssl/crypto.h>

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/text/Utf.h"
#include "platform/token/StoreError.h"
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

COwnerPinDialog::COwnerPinDialog(QWidget* owner, const std::wstring& reader)
    : QDialog(owner), m_reader(WideToUtf8(reader)) {
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
    } catch (const std::exception&) {
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
    const Texts& t = Russian() ? kRussian : kEnglish;
    QByteArray typed = m_edit->text().toUtf8();
    m_edit->clear();
    std::string pin(typed.constData(), static_cast<std::size_t>(typed.size()));
    typed.fill('\0');
    if (pin.empty()) {
        return;
    }
    try {
        vkstore::TokenWorld world;
        auto state = world.Reader(m_reader);
        if (!state || !state->token) {
            ShowStatus(QString::fromUtf8(t.noToken), true);
            OPENSSL_cleanse(pin.data(), pin.size());
            return;
        }
        vkstore::TokenStore(world.TokenFile(state->token->uuid)).Unlock(pin);
        m_pin = std::move(pin);
        accept();
        return;
    } catch (const vkstore::StoreError& e) {
        OPENSSL_cleanse(pin.data(), pin.size());
        if (e.Failure() == vkstore::StoreFailure::PinIncorrect) {
            vkstore::TokenWorld world;
            auto state = world.Reader(m_reader);
            unsigned left = 0;
            if (state && state->token) {
                left = vkstore::TokenStore(world.TokenFile(state->token->uuid)).Pin().retriesLeft;
            }
            ShowStatus(QString::fromUtf8(t.wrong).arg(left), true);
        } else if (e.Failure() == vkstore::StoreFailure::PinLocked) {
            ShowStatus(QString::fromUtf8(t.locked), true);
            m_edit->setEnabled(false);
            m_ok->setEnabled(false);
        } else {
            ShowStatus(QString::fromUtf8(t.unreadable), true);
        }
    } catch (const std::exception&) {
        OPENSSL_cleanse(pin.data(), pin.size());
        ShowStatus(QString::fromUtf8(t.unreadable), true);
    }
}
