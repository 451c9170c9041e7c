// The owner PIN prompt's window: reader and token label, a masked PIN field,
// the verdict of each try, and OK / Cancel.
#pragma once

#include <QDialog>
#include <string>

#include "desktop/vkGrTools.h"

class QLabel;
class QLineEdit;
class QPushButton;

class COwnerPinDialog : public QDialog {
    Q_OBJECT

public:
    // `login` verifies each PIN tried; null hands the PIN back unverified.
    COwnerPinDialog(QWidget* owner, const std::wstring& reader, vkGr_PIN_Login login);
    ~COwnerPinDialog() override;

    // The accepted PIN (UTF-8); wiped with the dialog.
    const std::string& Pin() const { return m_pin; }

private:
    // OK's slot: nothing thrown leaves it.
    void Verify();
    void TryPin(std::string& pin);
    void ShowStatus(const QString& text, bool error);
    bool Russian() const;

    std::wstring m_readerName;
    std::string m_reader;
    vkGr_PIN_Login m_login = nullptr;
    std::string m_pin;
    QLabel* m_status = nullptr;
    QLineEdit* m_edit = nullptr;
    QPushButton* m_ok = nullptr;
};
