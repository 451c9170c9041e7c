// Pictures drawn from the program's SVG resources, kept between runs in one file
// of the user's cache folder, so that a start need not parse and draw them again.
// Entries are found by a key that names the drawing's source and what was asked
// of it; a damaged or foreign file counts as empty. GUI thread only.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QImage>
#include <QSize>
#include <QString>
#include <optional>

class CRenderedImageCache {
public:
    struct Entry {
        QSize natural;  // the drawing's own size
        QImage image;   // null where only the size is kept
    };

    // Kept in `file`; empty: kept in memory only.
    explicit CRenderedImageCache(QString file);

    // $XDG_CACHE_HOME/vkcert/rendered-images (or ~/.cache/...).
    static QString DefaultFile();

    std::optional<Entry> Find(const QByteArray& key);
    // Remembers the entry; the file is written by Save.
    void Store(const QByteArray& key, const Entry& entry);
    // Writes the file when something was stored since it was read; false when it could not.
    bool Save();

private:
    void Load();

    QString m_file;
    QHash<QByteArray, Entry> m_entries;
    bool m_loaded = false;
    bool m_changed = false;
};
