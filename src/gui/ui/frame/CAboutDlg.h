// The About dialog (template 100): the program's version and legal notice from its own stamp,
// and the token software this installation uses, found beside the program, with the run-time
// libraries under it, each with its version and description. The list is for reading: no row
// stays selected.
#pragma once

#include <QStandardItemModel>
#include <filesystem>

#include "gui/resources/CDialogLang.h"

class QTreeView;

class CAboutDlg : public CDialogLang {
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget* parent);
    // Shows the stamp of `programFile` and the modules of `moduleFolder` (the screenshots show
    // the built program's).
    CAboutDlg(QWidget* parent, std::filesystem::path programFile,
              std::filesystem::path moduleFolder);

    QTreeView* ModuleList() const;

protected:
    void OnLanguageChanged() override;

private:
    void InsertColumns();
    void InsertRows();
    void SetColumnWidths();
    void SetProgramTexts();
    void KeepUnselected();

    std::filesystem::path m_programFile;
    std::filesystem::path m_moduleFolder;
    QStandardItemModel m_modules;
};
