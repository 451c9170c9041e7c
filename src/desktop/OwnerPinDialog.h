// The owner PIN prompt's window: reader and token label, a masked PIN field,
// the verdict of each try, and OK / Cancel.
#pragma once

#include <QDialog>
#include <string>

class QLabel;
class QLineEdit;
class QPushButton;

class COwnerPinDialog : public QDialog {
    Q_OBJECT

public:
    COwnerPinDialog(QWidget* owner, const std::wstring& reader);
    ~COwnerPinDialog() override;

    // The accepted PIN (UTF-8); wiped with the dialog.
    const std::string& Pin() const { return m_pin; }

private:
    void Verify();
    void ShowStatus(const QString& text, bool error);
    bool Russian() const;

    std::string m_reader;
    std::string m_pin;
    QLabel* m_status = nullptr;
    QLineEdit* m_edit = nullptr;
    QPushButton* m_ok = nullptr;
};
