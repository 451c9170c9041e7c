// The help files the program carries, written at start to a folder of this run's own in the
// temporary directory ("vkcert-help-XXXXXX", owner only) and removed with the holder. The folder
// holds a lock file while the run lives, so that a later start removes the folders of runs that
// were killed, and never the folder of a program still running.
#pragma once

#include <QString>
#include <map>
#include <memory>

#include "program/app/LangIds.h"

class QTemporaryDir;

namespace SHTMLHelper::SCHMFile {

class CFolderLock;

class CHelpResourceHolder {
public:
    static constexpr const char* kFolderPrefix = "vkcert-help-";

    CHelpResourceHolder();
    ~CHelpResourceHolder();
    CHelpResourceHolder(const CHelpResourceHolder&) = delete;
    CHelpResourceHolder& operator=(const CHelpResourceHolder&) = delete;

    // The embedded help file of a language.
    static QString ResourceOf(LANGID language);

    // Removes the help folders of earlier runs that ended without removing theirs (killed or
    // crashed) from `tempDir`; a folder whose lock a living program holds stays.
    static void RemoveStaleFolders(const QString& tempDir);

    // Writes `resource` (a Qt resource or a file) as the help file of `language`, replacing the
    // one held so far. Answers whether a complete file is now held; a failed write leaves none.
    bool ExtractFromResource(const QString& resource, LANGID language);

    // The file of the language; empty when none is held.
    QString GetFilePath(LANGID language) const;
    // This run's folder; empty before the first extraction.
    QString Folder() const;

private:
    bool MakeFolder();

    std::unique_ptr<QTemporaryDir> m_folder;
    std::unique_ptr<CFolderLock> m_lock;
    std::map<LANGID, QString> m_files;
};

}  // namespace SHTMLHelper::SCHMFile
