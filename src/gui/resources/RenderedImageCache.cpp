#include "gui/resources/RenderedImageCache.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <cstring>

namespace {

constexpr quint32 kMagic = 0x766b4931;  // "vkI1"
constexpr qint32 kMaxSide = 4096;
constexpr qint32 kMaxEntries = 4096;
constexpr QImage::Format kFormat = QImage::Format_ARGB32_Premultiplied;

// A side of -1 is that of an invalid QSize.
bool SaneSize(qint32 width, qint32 height) {
    return width >= -1 && height >= -1 && width <= kMaxSide && height <= kMaxSide;
}

QByteArray Pixels(const QImage& source) {
    const QImage image = source.convertToFormat(kFormat);
    const qsizetype line = qsizetype(image.width()) * 4;
    QByteArray pixels(line * image.height(), Qt::Uninitialized);
    for (int y = 0; y < image.height(); ++y) {
        std::memcpy(pixels.data() + line * y, image.constScanLine(y), size_t(line));
    }
    return pixels;
}

// The image of `pixels`; null when they do not fill `width` by `height` exactly.
QImage FromPixels(qint32 width, qint32 height, const QByteArray& pixels) {
    const qsizetype line = qsizetype(width) * 4;
    if (width == 0 || height == 0 || pixels.size() != line * height) {
        return {};
    }
    QImage image(width, height, kFormat);
    for (int y = 0; y < height; ++y) {
        std::memcpy(image.scanLine(y), pixels.constData() + line * y, size_t(line));
    }
    return image;
}

}  // namespace

CRenderedImageCache::CRenderedImageCache(QString file) : m_file(std::move(file)) {}

QString CRenderedImageCache::DefaultFile() {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    return folder.isEmpty() ? QString() : folder + QStringLiteral("/vkcert/rendered-images");
}

std::optional<CRenderedImageCache::Entry> CRenderedImageCache::Find(const QByteArray& key) {
    Load();
    const auto found = m_entries.constFind(key);
    if (found == m_entries.constEnd()) {
        return std::nullopt;
    }
    return *found;
}

void CRenderedImageCache::Store(const QByteArray& key, const Entry& entry) {
    Load();
    m_entries.insert(key, entry);
    m_changed = true;
}

bool CRenderedImageCache::Save() {
    if (!m_changed || m_file.isEmpty()) {
        return !m_changed;
    }
    QDir().mkpath(QFileInfo(m_file).absolutePath());
    QSaveFile file(m_file);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    QDataStream out(&file);
    out << kMagic << qint32(m_entries.size());
    for (auto it = m_entries.constBegin(); it != m_entries.constEnd(); ++it) {
        const QImage& image = it->image;
        out << it.key() << qint32(it->natural.width()) << qint32(it->natural.height())
            << qint32(image.width()) << qint32(image.height())
            << (image.isNull() ? QByteArray() : Pixels(image));
    }
    if (out.status() != QDataStream::Ok || !file.commit()) {
        return false;
    }
    m_changed = false;
    return true;
}

void CRenderedImageCache::Load() {
    if (m_loaded) {
        return;
    }
    m_loaded = true;
    QFile file(m_file);
    if (m_file.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        return;
    }
    QDataStream in(&file);
    quint32 magic = 0;
    qint32 count = 0;
    in >> magic >> count;
    if (magic != kMagic || count < 0 || count > kMaxEntries) {
        return;
    }
    QHash<QByteArray, Entry> entries;
    for (qint32 i = 0; i < count; ++i) {
        QByteArray key;
        QByteArray pixels;
        qint32 naturalWidth = 0, naturalHeight = 0, width = 0, height = 0;
        in >> key >> naturalWidth >> naturalHeight >> width >> height >> pixels;
        if (in.status() != QDataStream::Ok || !SaneSize(naturalWidth, naturalHeight) ||
            !SaneSize(width, height) || width < 0 || height < 0) {
            return;  // damaged: nothing of it is trusted
        }
        Entry entry{QSize(naturalWidth, naturalHeight), FromPixels(width, height, pixels)};
        if (entry.image.isNull() && !pixels.isEmpty()) {
            return;
        }
        entries.insert(key, entry);
    }
    m_entries = std::move(entries);
}
