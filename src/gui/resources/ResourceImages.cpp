#include "gui/resources/ResourceImages.h"

#include "gui/resources/RenderedImageCache.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QGuiApplication>
#include <QHash>
#include <QIconEngine>
#include <QPainter>
#include <QResource>
#include <QSvgRenderer>
#include <QTimer>

#include <cmath>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <tuple>

namespace {

constexpr int kToolBarImageSize = 22;

// Beside "<id>.svg" an image may have "<id>-16.svg", a simpler drawing on the
// 16 pixel grid used for small sizes.
constexpr int kSmallDrawingLimit = 24;

// One parsed renderer per file, kept for the life of the process; null when
// there is no such image.
QSvgRenderer* Renderer(const QString& path) {
    static QHash<QString, std::shared_ptr<QSvgRenderer>> renderers;
    auto found = renderers.constFind(path);
    if (found != renderers.constEnd()) {
        return found->get();
    }
    std::shared_ptr<QSvgRenderer> renderer;
    if (QFile::exists(path)) {
        renderer = std::make_shared<QSvgRenderer>(path);
        if (!renderer->isValid()) {
            renderer.reset();
        }
    }
    renderers.insert(path, renderer);
    return renderer.get();
}

QSvgRenderer* Renderer(int id) {
    return Renderer(QStringLiteral(":/res/%1.svg").arg(id));
}

// The drawing that suits an image of `pixels`.
QSvgRenderer* RendererFor(int id, QSize pixels) {
    if (qMax(pixels.width(), pixels.height()) <= kSmallDrawingLimit) {
        if (QSvgRenderer* small = Renderer(QStringLiteral(":/res/%1-16.svg").arg(id))) {
            return small;
        }
    }
    return Renderer(id);
}

// How long after the last new picture the cache file is written (and at the latest on quitting).
constexpr int kCacheSaveDelayMs = 2000;

CRenderedImageCache& Cache() {
    static CRenderedImageCache cache(CRenderedImageCache::DefaultFile());
    return cache;
}

void SaveCacheSoon() {
    static QTimer* timer = nullptr;
    QCoreApplication* app = QCoreApplication::instance();
    if (timer == nullptr && app != nullptr) {
        timer = new QTimer(app);
        timer->setSingleShot(true);
        timer->setInterval(kCacheSaveDelayMs);
        QObject::connect(timer, &QTimer::timeout, [] { Cache().Save(); });
        QObject::connect(app, &QCoreApplication::aboutToQuit, [] { Cache().Save(); });
        QObject::connect(app, &QObject::destroyed, [] { timer = nullptr; });
    }
    if (timer != nullptr) {
        timer->start();
    }
}

// The key of what is asked of drawing `id`: a digest of its source files (as stored, so a
// changed drawing gets new keys) and `request`; empty when there is no such drawing.
QByteArray CacheKey(int id, const QString& request) {
    static QHash<int, QByteArray> sources;
    auto found = sources.constFind(id);
    if (found == sources.constEnd()) {
        QByteArray digest;
        const QResource main(QStringLiteral(":/res/%1.svg").arg(id));
        if (main.isValid() && main.data() != nullptr) {
            QCryptographicHash hash(QCryptographicHash::Sha1);
            hash.addData(QByteArrayView(reinterpret_cast<const char*>(main.data()), main.size()));
            const QResource small(QStringLiteral(":/res/%1-16.svg").arg(id));
            if (small.isValid() && small.data() != nullptr) {
                hash.addData(
                    QByteArrayView(reinterpret_cast<const char*>(small.data()), small.size()));
            }
            digest = hash.result().toHex();
        }
        found = sources.insert(id, digest);
    }
    return found->isEmpty() ? QByteArray() : *found + ':' + request.toLatin1();
}

// A picture of drawing `id` from the cache, else drawn by `draw` and kept.
QImage CachedDrawing(int id, const QString& request, const std::function<QImage()>& draw) {
    const QByteArray key = CacheKey(id, request);
    if (!key.isEmpty()) {
        if (std::optional<CRenderedImageCache::Entry> entry = Cache().Find(key)) {
            if (!entry->image.isNull()) {
                return entry->image;
            }
        }
    }
    QImage image = draw();
    if (!key.isEmpty() && !image.isNull()) {
        Cache().Store(key, {QSize(), image});
        SaveCacheSoon();
    }
    return image;
}

// The drawing's own size; nothing for an unknown id or a file that is not a drawing.
std::optional<QSize> NaturalSize(int id) {
    static QHash<int, std::optional<QSize>> sizes;
    auto found = sizes.constFind(id);
    if (found != sizes.constEnd()) {
        return *found;
    }
    std::optional<QSize> size;
    const QByteArray key = CacheKey(id, QStringLiteral("size"));
    if (key.isEmpty()) {
        // not a resource: no drawing
    } else if (std::optional<CRenderedImageCache::Entry> entry = Cache().Find(key)) {
        size = entry->natural;
    } else if (QSvgRenderer* renderer = Renderer(id)) {
        size = renderer->defaultSize();
        Cache().Store(key, {*size, QImage()});
        SaveCacheSoon();
    }
    sizes.insert(id, size);
    return size;
}

// Draws the image stretched over `bounds` of a transparent image of `pixels`.
QImage Render(QSvgRenderer& renderer, QSize pixels, const QRectF& bounds) {
    QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter, bounds);
    return image;
}

// Grey, lighter and fainter: the look of an icon whose command is off.
QImage Disabled(const QImage& image) {
    QImage grey = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < grey.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(grey.scanLine(y));
        for (int x = 0; x < grey.width(); ++x) {
            const int g = 128 + qGray(line[x]) / 2;
            line[x] = qRgba(g, g, g, qAlpha(line[x]) / 2);
        }
    }
    return grey;
}

// A whole strip at `ratio`, drawn once, for cutting its squares where they fall on whole pixels.
const QImage& StripImage(int id, QSize size, qreal ratio) {
    static std::map<std::pair<int, qreal>, QImage> strips;
    const std::pair<int, qreal> key{id, ratio};
    auto found = strips.find(key);
    if (found == strips.end()) {
        const QSizeF pixels = QSizeF(size) * ratio;
        const QString request =
            QStringLiteral("strip %1x%2").arg(pixels.width()).arg(pixels.height());
        found =
            strips
                .emplace(key, CachedDrawing(id, request,
                                            [&] {
                                                QSvgRenderer* renderer = Renderer(id);
                                                return renderer
                                                           ? Render(*renderer, pixels.toSize(),
                                                                    QRectF(QPointF(0, 0), pixels))
                                                           : QImage();
                                            }))
                .first;
    }
    return found->second;
}

qreal ScreenRatio() {
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance())
               ? qGuiApp->devicePixelRatio()
               : 1.0;
}

// The image at `size` (device-independent pixels) for a screen of `ratio`; or,
// with `cell` not negative, that 22 pixel square of a strip.
QPixmap CachedPixmap(int id, QSize size, qreal ratio, bool disabled, int cell = -1) {
    using Key = std::tuple<int, int, int, qreal, bool, int>;
    static std::map<Key, QPixmap> cache;
    const Key key{id, size.width(), size.height(), ratio, disabled, cell};
    auto found = cache.find(key);
    if (found != cache.end()) {
        return found->second;
    }
    if (size.isEmpty() || !NaturalSize(id)) {
        return {};
    }
    QImage image;
    if (cell < 0) {
        const QSize pixels = (QSizeF(size) * ratio).toSize();
        const QString request = QStringLiteral("%1x%2").arg(pixels.width()).arg(pixels.height());
        image = CachedDrawing(id, request, [&] {
            QSvgRenderer* renderer = RendererFor(id, pixels);
            return renderer ? Render(*renderer, pixels, QRectF(QPointF(0, 0), QSizeF(pixels)))
                            : QImage();
        });
    } else {
        const qreal side = kToolBarImageSize * ratio;
        const QSize pixels = QSizeF(side, side).toSize();
        if (side == std::floor(side)) {
            // Squares on whole pixels: cut from the strip drawn once, the same pixels.
            image =
                StripImage(id, size, ratio).copy(QRect(QPoint(cell * pixels.width(), 0), pixels));
        } else {
            // Each square is drawn on its own, so that it is cut at the same place
            // whatever the ratio, even where a whole strip would not fall on pixels.
            const QString request = QStringLiteral("cell %1 of %2x%3 at %4")
                                        .arg(cell)
                                        .arg(size.width())
                                        .arg(size.height())
                                        .arg(ratio, 0, 'g', 17);
            image = CachedDrawing(id, request, [&] {
                QSvgRenderer* renderer = Renderer(id);
                return renderer ? Render(*renderer, pixels,
                                         QRectF(-cell * side, 0, size.width() * ratio,
                                                size.height() * ratio))
                                : QImage();
            });
        }
    }
    if (disabled) {
        image = Disabled(image);
    }
    QPixmap pixmap = QPixmap::fromImage(image);
    pixmap.setDevicePixelRatio(ratio);
    cache.emplace(key, pixmap);
    return pixmap;
}

// Renders the image afresh for every size and screen the icon is drawn on.
class ResourceIconEngine : public QIconEngine {
public:
    explicit ResourceIconEngine(int id) : m_id(id) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override {
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        painter->drawPixmap(rect, CachedPixmap(m_id, rect.size(), ratio, mode == QIcon::Disabled));
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State) override {
        return CachedPixmap(m_id, size, 1.0, mode == QIcon::Disabled);
    }

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override { return size; }

    QIconEngine* clone() const override { return new ResourceIconEngine(m_id); }

    QString key() const override { return QStringLiteral("vkResourceIcon"); }

private:
    int m_id;
};

}  // namespace

QIcon ResourceIcon(int id) {
    if (!NaturalSize(id)) {
        return {};
    }
    return QIcon(new ResourceIconEngine(id));
}

QPixmap ResourceBitmap(int id, QSize size) {
    const std::optional<QSize> natural = NaturalSize(id);
    if (!natural) {
        return {};
    }
    if (size.isEmpty()) {
        size = *natural;
    }
    return CachedPixmap(id, size, ScreenRatio(), false);
}

QPixmap ToolBarImage(int stripId, int index) {
    const std::optional<QSize> strip = NaturalSize(stripId);
    if (!strip || strip->height() != kToolBarImageSize) {
        return {};
    }
    if (index < 0 || index >= strip->width() / kToolBarImageSize) {
        return {};
    }
    return CachedPixmap(stripId, *strip, ScreenRatio(), false, index);
}
