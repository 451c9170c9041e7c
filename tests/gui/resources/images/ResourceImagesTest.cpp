// Icons and bitmaps as code draws them: unknown ids, strip squares, fresh drawing per size and
// density, the grey disabled mode, pictures kept between runs. Drawings: scripts/screenshots.sh.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCryptographicHash>
#include <QImage>
#include <QPainter>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "gui/resources/ResourceImages.h"
#include "res/resource.h"
#include "support/ChildProcess.h"
#include "support/TempWorld.h"
#include "support/gui/QtApp.h"

namespace {

bool SamePixels(const QImage& a, const QImage& b) {
    return a.convertToFormat(QImage::Format_ARGB32) == b.convertToFormat(QImage::Format_ARGB32);
}

// Share of half-transparent pixels among the visible ones: wide soft edges.
double BlurredShare(const QImage& image) {
    long visible = 0, blurred = 0;
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < argb.height(); ++y) {
        for (int x = 0; x < argb.width(); ++x) {
            const int alpha = qAlpha(argb.pixel(x, y));
            visible += alpha > 16;
            blurred += alpha > 16 && alpha < 240;
        }
    }
    return visible ? double(blurred) / visible : 0.0;
}

// On a screen of twice the density the images carry twice the pixels, and the
// strip is cut at the same places.
VK_TEST_CHILD(images_at_double_density) {
    setenv("QT_SCALE_FACTOR", "2", 1);
    vktest::QtApp();
    if (qGuiApp->devicePixelRatio() != 2.0) {
        return 2;
    }
    const QPixmap icon = ResourceBitmap(IDI_KEY_CERT, {16, 16});
    if (icon.size() != QSize(32, 32) || icon.deviceIndependentSize() != QSizeF(16, 16)) {
        return 3;
    }
    const QImage whole = ResourceBitmap(IDB_TOOLBAR, {198, 22}).toImage();
    for (int i = 0; i < 9; ++i) {
        const QPixmap image = ToolBarImage(IDB_TOOLBAR, i);
        if (image.size() != QSize(44, 44) || image.devicePixelRatio() != 2.0) {
            return 4;
        }
        if (!SamePixels(image.toImage(), whole.copy(i * 44, 0, 44, 44))) {
            return 5;
        }
    }
    return 0;
}

TEST(ResourceImagesTest, StripsAreNineDistinctSquaresIconsAreDrawnAfreshAtEachSizeAndDensity) {
    vktest::QtApp();
    EXPECT_TRUE(ResourceIcon(9999).isNull());
    EXPECT_TRUE(ResourceBitmap(-1, {16, 16}).isNull());
    EXPECT_TRUE(ToolBarImage(9999, 0).isNull());
    EXPECT_TRUE(ToolBarImage(IDR_MAINFRAME, 0).isNull()) << "an icon is not a strip";
    EXPECT_TRUE(ToolBarImage(IDB_TOOLBAR, 9).isNull());
    EXPECT_TRUE(ToolBarImage(IDB_TOOLBAR, -1).isNull());
    EXPECT_EQ(ResourceBitmap(IDB_TOKEN_VIEW, {30, 20}).deviceIndependentSize(), QSizeF(30, 20));

    for (int strip : {IDB_TOOLBAR, IDB_TOOLBAR_DISABLED}) {
        const QImage whole = ResourceBitmap(strip, {198, 22}).toImage();
        std::vector<QImage> images;
        for (int i = 0; i < 9; ++i) {
            images.push_back(ToolBarImage(strip, i).toImage());
            EXPECT_EQ(images[i].size(), QSize(22, 22)) << strip << "/" << i;
            // On whole pixels, each image is exactly that square of the whole strip.
            EXPECT_TRUE(SamePixels(images[i], whole.copy(i * 22, 0, 22, 22))) << i;
            for (int j = 0; j < i; ++j) {
                EXPECT_NE(images[i], images[j]) << strip << ": " << i << " and " << j;
            }
        }
    }

    // A 48 pixel icon is drawn at 48, not a smaller one enlarged: its edges
    // stay one pixel wide, so it has far fewer half-transparent pixels.
    const QIcon icon = ResourceIcon(IDI_TOKEN);
    const QImage big = icon.pixmap(48, 48).toImage();
    ASSERT_EQ(big.size(), QSize(48, 48));
    const QImage blown = icon.pixmap(16, 16).toImage().scaled(48, 48, Qt::IgnoreAspectRatio,
                                                              Qt::SmoothTransformation);
    EXPECT_LT(BlurredShare(big), 0.6 * BlurredShare(blown));

    // Painted on a double-density surface, the icon uses its pixels.
    QImage canvas(64, 64, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    canvas.setDevicePixelRatio(2.0);
    QPainter painter(&canvas);
    icon.paint(&painter, QRect(0, 0, 24, 24));
    painter.end();
    canvas.setDevicePixelRatio(1.0);
    EXPECT_TRUE(SamePixels(canvas.copy(0, 0, 48, 48), big));
    const QPixmap twice = icon.pixmap(QSize(16, 16), 2.0);
    EXPECT_EQ(twice.size(), QSize(32, 32));
    EXPECT_EQ(twice.devicePixelRatio(), 2.0);

    EXPECT_FALSE(icon.pixmap(16, 16).toImage().allGray());
    EXPECT_TRUE(icon.pixmap(QSize(16, 16), QIcon::Disabled).toImage().allGray());

    // On a screen of twice the density, in a process of its own.
    vktest::ChildProcess child("images_at_double_density");
    EXPECT_EQ(child.Wait(), 0);
}

// Draws a set of images, prints a digest of their pixels and quits through the event loop, as
// the program does.
VK_TEST_CHILD(draw_images) {
    vktest::QtApp();
    std::vector<QImage> images{ResourceBitmap(IDB_WIZARD).toImage(),
                               ResourceBitmap(IDR_MAINFRAME, {32, 32}).toImage(),
                               ResourceIcon(IDI_KEY_CERT).pixmap(16, 16).toImage()};
    for (int i = 0; i < 9; ++i) {
        images.push_back(ToolBarImage(IDB_TOOLBAR, i).toImage());
    }
    QCryptographicHash digest(QCryptographicHash::Sha1);
    for (const QImage& image : images) {
        const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
        if (argb.isNull()) {
            return 2;
        }
        digest.addData(QByteArrayView(argb.constBits(), argb.sizeInBytes()));
    }
    std::cout << digest.result().toHex().toStdString() << std::endl;
    QTimer::singleShot(0, [] { QCoreApplication::quit(); });
    return QCoreApplication::exec();
}

// Pictures kept from one run serve the next one with the same pixels. Damaged files are
// RenderedImageCacheTest's.
TEST(ResourceImagesTest, PicturesKeptBetweenRunsAreTheSamePixels) {
    vktest::TempWorld world;
    const std::filesystem::path kept = world.Root() / "cache/vkcert/rendered-images";
    const auto run = [] {
        vktest::ChildProcess child("draw_images", {}, true);
        const std::string digest = child.NextLine(60000);
        EXPECT_EQ(digest.size(), 40u) << "no SHA-1 digest of the pixels";
        EXPECT_EQ(child.Wait(), 0);
        return digest;
    };
    const std::string drawn = run();
    ASSERT_TRUE(std::filesystem::exists(kept)) << "nothing kept for the next run";
    EXPECT_EQ(run(), drawn);
}

}  // namespace
