// The file dialog of the UI seam: Qt's own (non-native, with the labels of the interface
// language), whose OK is enabled only while the selected file passes the request's check and
// whose confirmation the request's accept hook can refuse, leaving the dialog open. Qt asks
// nothing of its own before overwriting: the hook does. A Help button is shown when the request
// names a help topic; the topic is the dialog's "helpTopic" property.
#pragma once

#include <QFileDialog>
#include <QStringList>

#include <optional>

#include "program/ui/IUserInterface.h"

class CCheckedFileDialog final : public QFileDialog {
    Q_OBJECT

public:
    CCheckedFileDialog(QWidget* parent, const SFileDialogRequest& request);

    // The confirmed file, once the dialog was accepted.
    const std::optional<SFileDialogResult>& Result() const { return m_result; }

    // "Text|*.a;*.b|Other|*.c||" as Qt's name filters: "Text (*.a *.b)", "Other (*.c)".
    static QStringList NameFilters(const std::wstring& filter);

    void done(int result) override;

signals:
    // The Help button was pressed; nothing shows help pages yet.
    void helpRequested(const QString& topic);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The file OK would confirm; empty when it would only open a folder or nothing is chosen.
    std::optional<std::wstring> ChosenFile() const;
    bool Passes() const;
    // Disables OK while the chosen file fails the check (Qt enables it on its own terms).
    void UpdateOk();
    QPushButton* OkButton() const;

    SFileDialogRequest m_request;
    QStringList m_filters;
    std::optional<SFileDialogResult> m_result;
};
