#include "app/ResourceImages.h"

#include <QFile>
#include <QGuiApplication>
#include <QHash>
#include <QIconEngine>
#include <QPainter>
#include <QSvgRenderer>

#include <cmath>
#include <map>
#include <memory>
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
        found =
            strips
                .emplace(key, Render(*Renderer(id), pixels.toSize(), QRectF(QPointF(0, 0), pixels)))
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
    if (size.isEmpty() || !Renderer(id)) {
        return {};
    }
    QImage image;
    if (cell < 0) {
        const QSize pixels = (QSizeF(size) * ratio).toSize();
        image = Render(*RendererFor(id, pixels), pixels, QRectF(QPointF(0, 0), QSizeF(pixels)));
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
            image = Render(*Renderer(id), pixels,
                           QRectF(-cell * side, 0, size.width() * ratio, size.height() * ratio));
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
    if (!Renderer(id)) {
        return {};
    }
    return QIcon(new ResourceIconEngine(id));
}

QPixmap ResourceBitmap(int id, QSize size) {
    QSvgRenderer* renderer = Renderer(id);
    if (!renderer) {
        return {};
    }
    if (size.isEmpty()) {
        size = renderer->defaultSize();
    }
    return CachedPixmap(id, size, ScreenRatio(), false);
}

QPixmap ToolBarImage(int stripId, int index) {
    QSvgRenderer* renderer = Renderer(stripId);
    if (!renderer || renderer->defaultSize().height() != kToolBarImageSize) {
        return {};
    }
    const QSize strip = renderer->defaultSize();
    if (index < 0 || index >= strip.width() / kToolBarImageSize) {
        return {};
    }
    return CachedPixmap(stripId, strip, ScreenRatio(), false, index);
}
