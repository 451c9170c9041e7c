#include "gui/ui/frame/CAboutDlg.h"

#include <QHeaderView>
#include <QLabel>
#include <QTreeView>
#include <QtGlobal>

#include "platform/kernel/ModuleFile.h"
#include "platform/text/FormatString.h"
#include "program/app/InstalledModules.h"
#include "res/resource.h"

namespace {

constexpr UINT kColumnHeadings[] = {IDC_COLUMN_FILE_NAME, IDC_COLUMN_VERSION,
                                    IDC_COLUMN_DESCRIPTION};
// Hundredths of the list's client width.
constexpr int kColumnWeights[] = {25, 20, 55};

QString Q(const std::wstring& text) {
    return QString::fromStdWString(text);
}

CModuleRow QtLibrary() {
    const auto file = ModuleFileOf(reinterpret_cast<const void*>(&qVersion));
    return {file.empty() ? L"libQt6Core" : file.filename().wstring(),
            QString::fromLatin1(qVersion()).toStdWString(), L"Qt"};
}

}  // namespace

CAboutDlg::CAboutDlg(QWidget* parent)
    : CAboutDlg(parent, ProgramFile(), ProgramFile().parent_path()) {}

CAboutDlg::CAboutDlg(QWidget* parent, std::filesystem::path programFile,
                     std::filesystem::path moduleFolder)
    : CDialogLang(IDD_ABOUTBOX, parent),
      m_programFile(std::move(programFile)),
      m_moduleFolder(std::move(moduleFolder)) {
    QTreeView* list = ModuleList();
    if (list == nullptr) {
        return;
    }
    list->setModel(&m_modules);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    InsertColumns();
    InsertRows();
    SetColumnWidths();
    SetProgramTexts();
    KeepUnselected();
}

QTreeView* CAboutDlg::ModuleList() const {
    return ControlAs<QTreeView>(IDC_MODULE_LIST);
}

void CAboutDlg::InsertColumns() {
    QStringList headings;
    for (const UINT id : kColumnHeadings) {
        const auto* label = ControlAs<QLabel>(id);
        headings << (label ? label->text() : QString());
    }
    m_modules.setColumnCount(static_cast<int>(headings.size()));
    m_modules.setHorizontalHeaderLabels(headings);
}

void CAboutDlg::InsertRows() {
    auto rows = InstalledModules(m_moduleFolder);
    for (auto& library : RuntimeLibraries()) {
        rows.push_back(std::move(library));
    }
    rows.push_back(QtLibrary());
    for (const auto& row : rows) {
        QList<QStandardItem*> items;
        for (const auto* text : {&row.fileName, &row.version, &row.description}) {
            auto* item = new QStandardItem(Q(*text));  // owned by the model
            item->setToolTip(item->text());            // for a text the column cuts short
            items << item;
        }
        m_modules.appendRow(items);
    }
}

void CAboutDlg::SetColumnWidths() {
    QTreeView* list = ModuleList();
    // The client width: the list without its frame, as its template sized it.
    const int clientWidth = list->contentsRect().width();
    list->header()->setStretchLastSection(false);
    for (int column = 0; column < 3; ++column) {
        list->setColumnWidth(column, kColumnWeights[column] * clientWidth / 100);
    }
}

void CAboutDlg::SetProgramTexts() {
    const CProgramStamp stamp = ReadProgramStamp(m_programFile);
    if (auto* version = ControlAs<QLabel>(IDC_VERSION_TEXT)) {
        version->setText(Q(FormatString(version->text().toStdWString(), stamp.version)));
    }
    if (auto* legal = ControlAs<QLabel>(IDC_LEGAL_TEXT)) {
        legal->setText(Q(stamp.legalNotice));
    }
}

void CAboutDlg::KeepUnselected() {
    QTreeView* list = ModuleList();
    // Cleared once the view has finished the change that selected or focused the row.
    const auto clear = [this] {
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (QTreeView* view = ModuleList(); view && view->selectionModel()) {
                    view->selectionModel()->clear();
                }
            },
            Qt::QueuedConnection);
    };
    connect(list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [clear](const QItemSelection& selected) {
                if (!selected.isEmpty()) {
                    clear();
                }
            });
    connect(list->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [clear](const QModelIndex& current) {
                if (current.isValid()) {
                    clear();
                }
            });
}

void CAboutDlg::OnLanguageChanged() {
    CDialogLang::OnLanguageChanged();  // the template's texts, the version's format among them
    InsertColumns();
    SetProgramTexts();
}
