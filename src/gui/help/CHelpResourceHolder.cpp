#include "gui/help/CHelpResourceHolder.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "gui/help/CFolderLock.h"

namespace SHTMLHelper::SCHMFile {

namespace {

constexpr const char* kLockName = ".lock";
// A folder without its lock file may be one that a starting program has just made.
constexpr qint64 kUnlockedGraceSeconds = 60;

bool IsStale(const QFileInfo& folder) {
    const QString lockPath = folder.absoluteFilePath() + QLatin1Char('/') + kLockName;
    if (!QFileInfo::exists(lockPath)) {
        return folder.lastModified().secsTo(QDateTime::currentDateTime()) > kUnlockedGraceSeconds;
    }
    return !CFolderLock::IsHeld(lockPath);
}

}  // namespace

CHelpResourceHolder::CHelpResourceHolder() = default;

// The folder goes first, then its lock.
CHelpResourceHolder::~CHelpResourceHolder() {
    m_folder.reset();
}

QString CHelpResourceHolder::ResourceOf(LANGID language) {
    return language == LANG_RUSSIAN_ID ? QStringLiteral(":/help/vkcert_ru.qch")
                                       : QStringLiteral(":/help/vkcert_en.qch");
}

void CHelpResourceHolder::RemoveStaleFolders(const QString& tempDir) {
    const QFileInfoList folders =
        QDir(tempDir).entryInfoList({QString::fromLatin1(kFolderPrefix) + QLatin1Char('*')},
                                    QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
    for (const QFileInfo& folder : folders) {
        if (folder.isDir() && !folder.isSymLink() && folder.isWritable() && IsStale(folder)) {
            QDir(folder.absoluteFilePath()).removeRecursively();
        }
    }
}

bool CHelpResourceHolder::MakeFolder() {
    if (m_folder) {
        return true;
    }
    auto folder = std::make_unique<QTemporaryDir>(QDir::tempPath() + QLatin1Char('/') +
                                                  kFolderPrefix + QStringLiteral("XXXXXX"));
    if (!folder->isValid()) {
        return false;
    }
    auto lock = std::make_unique<CFolderLock>();
    if (!lock->TryLock(folder->filePath(QString::fromLatin1(kLockName)))) {
        return false;
    }
    m_folder = std::move(folder);
    m_lock = std::move(lock);
    return true;
}

bool CHelpResourceHolder::ExtractFromResource(const QString& resource, LANGID language) {
    if (auto held = m_files.find(language); held != m_files.end()) {
        QFile::remove(held->second);
        m_files.erase(held);
    }
    QFile source(resource);
    if (!source.open(QIODevice::ReadOnly) || !MakeFolder()) {
        return false;
    }
    const QByteArray bytes = source.readAll();
    const QString path = m_folder->filePath(QFileInfo(resource).fileName());
    QFile target(path);
    if (!target.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        return false;
    }
    const bool written = target.write(bytes) == bytes.size() && target.flush();
    target.close();
    if (!written || target.error() != QFileDevice::NoError) {
        QFile::remove(path);
        return false;
    }
    m_files[language] = path;
    return true;
}

QString CHelpResourceHolder::GetFilePath(LANGID language) const {
    const auto held = m_files.find(language);
    return held == m_files.end() ? QString() : held->second;
}

QString CHelpResourceHolder::Folder() const {
    return m_folder ? m_folder->path() : QString();
}

}  // namespace SHTMLHelper::SCHMFile
