#include "gui/ui/frame/CCheckedFileDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>

#include "gui/resources/LangFileDialog.h"
#include "program/app/FileDialogLabels.h"

CCheckedFileDialog::CCheckedFileDialog(QWidget* parent, const SFileDialogRequest& request)
    : QFileDialog(parent, QString::fromStdWString(request.title)),
      m_request(request),
      m_filters(NameFilters(request.filter)) {
    ApplyLangFileDialogLabels(this);
    setAcceptMode(request.open ? AcceptOpen : AcceptSave);
    setFileMode(request.open ? ExistingFile : AnyFile);
    setOption(DontConfirmOverwrite, true);
    // The filter's own text names its patterns already.
    setOption(HideNameFilterDetails, true);
    // Patterns match whatever the case of the names.
    setFilter(filter() & ~QDir::CaseSensitive);
    setNameFilters(m_filters);
    setDefaultSuffix(QString::fromStdWString(request.defaultExtension));
    if (!request.initialDirectory.empty()) {
        setDirectory(QString::fromStdWString(request.initialDirectory));
    }
    if (!request.initialName.empty()) {
        selectFile(QString::fromStdWString(request.initialName));
    }
    setProperty("helpTopic", QString::fromStdString(request.helpTopic));
    auto* buttons = findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
    if (!request.helpTopic.empty() && buttons != nullptr) {
        QPushButton* help = buttons->addButton(QDialogButtonBox::Help);
        const std::wstring text = LoadFileDialogLabels().help;
        if (!text.empty()) {
            help->setText(QString::fromStdWString(text));
        }
        help->setAutoDefault(false);
        connect(buttons, &QDialogButtonBox::helpRequested, this,
                [this] { emit helpRequested(property("helpTopic").toString()); });
    }
    if (QPushButton* ok = OkButton()) {
        ok->installEventFilter(this);
    }
    if (auto* name = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) {
        connect(name, &QLineEdit::textChanged, this, &CCheckedFileDialog::UpdateOk);
    }
    connect(this, &QFileDialog::currentChanged, this, &CCheckedFileDialog::UpdateOk);
    connect(this, &QFileDialog::directoryEntered, this, &CCheckedFileDialog::UpdateOk);
    connect(this, &QFileDialog::filterSelected, this, &CCheckedFileDialog::UpdateOk);
    UpdateOk();
}

QStringList CCheckedFileDialog::NameFilters(const std::wstring& filter) {
    const QStringList parts = QString::fromStdWString(filter).split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        if (parts.at(i).isEmpty()) {
            break;  // "||" ends the list
        }
        QString patterns = parts.at(i + 1);
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        filters.append(QStringLiteral("%1 (%2)").arg(parts.at(i), patterns));
    }
    return filters;
}

void CCheckedFileDialog::done(int result) {
    if (result == Accepted) {
        const std::optional<std::wstring> file = ChosenFile();
        if (!file || (m_request.check && !m_request.check(*file))) {
            return;
        }
        // The filter's place in the list: their shown texts (details hidden) may repeat.
        const auto* types = findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        const int index = types != nullptr ? types->currentIndex() + 1 : 1;
        SFileDialogResult chosen{*file, index < 1 ? 1 : index};
        if (m_request.accept && !m_request.accept(chosen.path, chosen.filterIndex)) {
            return;
        }
        m_result = std::move(chosen);
    }
    QFileDialog::done(result);
}

bool CCheckedFileDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::EnabledChange && watched == OkButton()) {
        UpdateOk();
    }
    return QFileDialog::eventFilter(watched, event);
}

std::optional<std::wstring> CCheckedFileDialog::ChosenFile() const {
    const QStringList files = selectedFiles();
    if (files.isEmpty() || QFileInfo(files.constFirst()).isDir()) {
        return std::nullopt;
    }
    return files.constFirst().toStdWString();
}

bool CCheckedFileDialog::Passes() const {
    if (!m_request.check) {
        return true;
    }
    // A folder is opened by OK, not confirmed: Qt decides.
    const std::optional<std::wstring> file = ChosenFile();
    return !file || m_request.check(*file);
}

void CCheckedFileDialog::UpdateOk() {
    QPushButton* ok = OkButton();
    if (ok != nullptr && ok->isEnabled() && !Passes()) {
        ok->setEnabled(false);
    }
}

QPushButton* CCheckedFileDialog::OkButton() const {
    auto* buttons = findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
    if (buttons == nullptr) {
        return nullptr;
    }
    QPushButton* ok = buttons->button(QDialogButtonBox::Open);
    return ok != nullptr ? ok : buttons->button(QDialogButtonBox::Save);
}
