// The program's icons and bitmaps: every resource id loads, renders something
// at the size it is used at, on ordinary and high-density screens; tool bar
// strips cut into nine distinct images with a greyed disabled set. Writes a
// contact sheet of every image into the build folder for a person to look at.
// How the images are placed in windows is left to the window tests.
#include <gtest/gtest.h>

#include "gui/resources/ResourceImages.h"
#include "support/ChildProcess.h"
#include "support/TempWorld.h"

#include <QColor>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTimer>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

struct UsedImage {
    int id;
    QSize size;  // the size it is shown at
};

// Tree nodes, property rows, program and wizard icons at 16; view pictures,
// strips and the wizard picture at their own size.
const std::vector<UsedImage> kUsedImages = {
    {128, {16, 16}},  {128, {32, 32}},  {128, {48, 48}}, {163, {16, 16}}, {164, {16, 16}},
    {165, {16, 16}},  {208, {16, 16}},  {224, {16, 16}}, {170, {16, 16}}, {181, {16, 16}},
    {130, {16, 16}},  {176, {}},        {177, {}},       {188, {}},       {210, {}},
    {184, {198, 22}}, {223, {198, 22}}, {242, {16, 16}}, {242, {32, 32}}, {243, {16, 16}},
    {243, {32, 32}},  {244, {}},
};

const int kIconIds[] = {128, 163, 164, 165, 208, 224, 170, 181, 130, 176, 177, 188, 210, 242, 243};

void EnsureApp() {
    static int argc = 1;
    static char name[] = "test_app_images";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) {
        new QGuiApplication(argc, argv);  // lives until the process ends
    }
}

// Share of pixels that are at least mostly opaque.
double OpaqueShare(const QImage& image) {
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    long opaque = 0;
    for (int y = 0; y < argb.height(); ++y) {
        for (int x = 0; x < argb.width(); ++x) {
            opaque += qAlpha(argb.pixel(x, y)) >= 160 ? 1 : 0;
        }
    }
    return argb.isNull() ? 0.0 : double(opaque) / (argb.width() * argb.height());
}

// The largest difference of one colour channel between two images of one size.
int LargestDifference(const QImage& a, const QImage& b) {
    const QImage x = a.convertToFormat(QImage::Format_ARGB32);
    const QImage y = b.convertToFormat(QImage::Format_ARGB32);
    if (x.size() != y.size()) {
        return 256;
    }
    int largest = 0;
    for (int row = 0; row < x.height(); ++row) {
        for (int column = 0; column < x.width(); ++column) {
            const QRgb p = x.pixel(column, row);
            const QRgb q = y.pixel(column, row);
            largest =
                std::max({largest, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                          std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q))});
        }
    }
    return largest;
}

// Share of half-transparent pixels among the visible ones: wide soft edges.
double BlurredShare(const QImage& image) {
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    long visible = 0;
    long blurred = 0;
    for (int y = 0; y < argb.height(); ++y) {
        for (int x = 0; x < argb.width(); ++x) {
            const int alpha = qAlpha(argb.pixel(x, y));
            visible += alpha > 16 ? 1 : 0;
            blurred += alpha > 16 && alpha < 240 ? 1 : 0;
        }
    }
    return visible ? double(blurred) / visible : 0.0;
}

struct Tone {
    double saturation = 0;
    double lightness = 0;
};

// Mean HSL saturation and lightness of the visible pixels.
Tone MeanTone(const QImage& image) {
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    Tone tone;
    double weight = 0;
    for (int y = 0; y < argb.height(); ++y) {
        for (int x = 0; x < argb.width(); ++x) {
            const QColor c = QColor::fromRgba(argb.pixel(x, y));
            const double a = c.alphaF();
            tone.saturation += a * c.hslSaturationF();
            tone.lightness += a * c.lightnessF();
            weight += a;
        }
    }
    if (weight > 0) {
        tone.saturation /= weight;
        tone.lightness /= weight;
    }
    return tone;
}

class ResourceImagesTest : public testing::Test {
protected:
    static void SetUpTestSuite() { EnsureApp(); }
};

TEST_F(ResourceImagesTest, EveryImageRendersSomethingAtItsUseSize) {
    for (const UsedImage& used : kUsedImages) {
        SCOPED_TRACE(testing::Message() << "image " << used.id << " at " << used.size.width() << "x"
                                        << used.size.height());
        const QPixmap pixmap = ResourceBitmap(used.id, used.size);
        ASSERT_FALSE(pixmap.isNull());
        if (!used.size.isEmpty()) {
            EXPECT_EQ(pixmap.deviceIndependentSize().toSize(), used.size);
        }
        // Drawn shapes, not a blank or a faint smudge.
        EXPECT_GT(OpaqueShare(pixmap.toImage()), 0.15);
    }
    for (int id : kIconIds) {
        const QIcon icon = ResourceIcon(id);
        ASSERT_FALSE(icon.isNull()) << id;
        EXPECT_GT(OpaqueShare(icon.pixmap(16, 16).toImage()), 0.15) << id;
    }
}

TEST_F(ResourceImagesTest, ImagesHaveTheirNaturalSizes) {
    EXPECT_EQ(ResourceBitmap(184).deviceIndependentSize().toSize(), QSize(198, 22));
    EXPECT_EQ(ResourceBitmap(223).deviceIndependentSize().toSize(), QSize(198, 22));
    for (int id : {176, 177, 188, 210}) {
        EXPECT_EQ(ResourceBitmap(id).deviceIndependentSize().toSize(), QSize(48, 48)) << id;
    }
    // Tall like the 93 by 135 dialog-unit place it fills at the left of a wizard page.
    const QSize banner = ResourceBitmap(244).deviceIndependentSize().toSize();
    EXPECT_NEAR(double(banner.width()) / banner.height(), 93.0 * 1.5 / (135.0 * 1.625), 0.05);
}

TEST_F(ResourceImagesTest, StripsCutIntoNineDistinctImages) {
    for (int strip : {184, 223}) {
        SCOPED_TRACE(strip);
        std::vector<QImage> images;
        for (int i = 0; i < 9; ++i) {
            const QPixmap image = ToolBarImage(strip, i);
            ASSERT_FALSE(image.isNull()) << i;
            EXPECT_EQ(image.size(), QSize(22, 22)) << i;
            EXPECT_GT(OpaqueShare(image.toImage()), 0.12) << i;
            images.push_back(image.toImage());
        }
        for (int i = 0; i < 9; ++i) {
            for (int j = i + 1; j < 9; ++j) {
                EXPECT_NE(images[i], images[j]) << i << " and " << j;
            }
        }
        // Each image sits inside its own cell: its neighbours do not bleed in.
        for (const QImage& image : images) {
            const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
            for (int y = 0; y < 22; ++y) {
                EXPECT_LT(qAlpha(argb.pixel(0, y)), 128);
                EXPECT_LT(qAlpha(argb.pixel(21, y)), 128);
            }
        }
        // On whole pixels, each image is exactly that square of the whole strip.
        const QImage whole = ResourceBitmap(strip, {198, 22}).toImage();
        for (int i = 0; i < 9; ++i) {
            EXPECT_EQ(LargestDifference(images[i], whole.copy(i * 22, 0, 22, 22)), 0) << i;
        }
        EXPECT_TRUE(ToolBarImage(strip, 9).isNull());
        EXPECT_TRUE(ToolBarImage(strip, -1).isNull());
    }
}

TEST_F(ResourceImagesTest, DisabledStripIsGreyerAndLighterThanTheNormalOne) {
    for (int i = 0; i < 9; ++i) {
        const Tone normal = MeanTone(ToolBarImage(184, i).toImage());
        const Tone disabled = MeanTone(ToolBarImage(223, i).toImage());
        EXPECT_LT(disabled.saturation, 0.15) << i;
        EXPECT_LT(disabled.saturation, normal.saturation) << i;
        EXPECT_GT(disabled.lightness, normal.lightness) << i;
    }
}

TEST_F(ResourceImagesTest, DisabledIconModeIsGrey) {
    for (int id : {164, 165, 224}) {
        const QIcon icon = ResourceIcon(id);
        const Tone normal = MeanTone(icon.pixmap(16, 16).toImage());
        const Tone disabled = MeanTone(icon.pixmap(QSize(16, 16), QIcon::Disabled).toImage());
        EXPECT_GT(normal.saturation, 0.15) << id;
        EXPECT_LT(disabled.saturation, 0.05) << id;
    }
}

TEST_F(ResourceImagesTest, IconsRenderAfreshAtEachSize) {
    // A 48 pixel icon is drawn at 48, not a smaller one enlarged: its edges
    // stay one pixel wide, so it has far fewer half-transparent pixels.
    const QIcon icon = ResourceIcon(164);
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
    const QImage painted = canvas.copy(0, 0, 48, 48);
    EXPECT_LE(LargestDifference(painted, big), 8);

    const QPixmap twice = icon.pixmap(QSize(16, 16), 2.0);
    EXPECT_EQ(twice.size(), QSize(32, 32));
    EXPECT_EQ(twice.devicePixelRatio(), 2.0);
}

TEST_F(ResourceImagesTest, UnknownIdsGiveNullResults) {
    EXPECT_TRUE(ResourceIcon(9999).isNull());
    EXPECT_TRUE(ResourceBitmap(9999).isNull());
    EXPECT_TRUE(ResourceBitmap(-1, {16, 16}).isNull());
    EXPECT_TRUE(ToolBarImage(9999, 0).isNull());
    // An icon is not a strip.
    EXPECT_TRUE(ToolBarImage(128, 0).isNull());
}

// Draws a set of images, writes them as PNG files named "<args[1]>-<n>.png" into args[0] and
// quits through the event loop, as the program does.
VK_TEST_CHILD(draw_images) {
    EnsureApp();
    std::vector<QImage> images;
    for (int i = 0; i < 9; ++i) {
        images.push_back(ToolBarImage(184, i).toImage());
        images.push_back(ToolBarImage(223, i).toImage());
    }
    images.push_back(ResourceBitmap(244).toImage());
    images.push_back(ResourceBitmap(128, {32, 32}).toImage());
    images.push_back(ResourceIcon(165).pixmap(16, 16).toImage());
    for (std::size_t n = 0; n < images.size(); ++n) {
        const QString file = QString::fromStdString(args.at(0) + "/" + args.at(1) + "-" +
                                                    std::to_string(n) + ".png");
        if (images[n].isNull() || !images[n].save(file, "PNG")) {
            return 2;
        }
    }
    QTimer::singleShot(0, [] { QCoreApplication::quit(); });
    return QCoreApplication::exec();
}

// On a screen of twice the density the images carry twice the pixels, and the
// strip is cut at the same places.
VK_TEST_CHILD(images_at_double_density) {
    setenv("QT_SCALE_FACTOR", "2", 1);
    EnsureApp();
    if (qGuiApp->devicePixelRatio() != 2.0) {
        return 2;
    }
    const QPixmap icon = ResourceBitmap(165, {16, 16});
    if (icon.size() != QSize(32, 32) || icon.deviceIndependentSize() != QSizeF(16, 16)) {
        return 3;
    }
    for (int i = 0; i < 9; ++i) {
        const QPixmap image = ToolBarImage(184, i);
        if (image.size() != QSize(44, 44) || image.devicePixelRatio() != 2.0) {
            return 4;
        }
        // The same square as in the whole strip, only finer.
        const QImage reference = ResourceBitmap(184, {198, 22}).toImage().copy(i * 44, 0, 44, 44);
        if (LargestDifference(image.toImage(), reference) > 8) {
            return 5;
        }
    }
    return 0;
}

TEST_F(ResourceImagesTest, DoubleDensityScreensGetFinerImages) {
    vktest::ChildProcess child("images_at_double_density");
    EXPECT_EQ(child.Wait(), 0);
}

// Pictures kept from one run serve the next one, and a damaged file of them is replaced:
// every run shows the same pixels.
TEST_F(ResourceImagesTest, PicturesKeptBetweenRunsAreTheSamePixels) {
    vktest::TempWorld world;
    const std::string folder = world.Root().string();
    const std::filesystem::path kept = world.Root() / "cache/vkcert/rendered-images";
    const auto run = [&folder](const char* name) {
        vktest::ChildProcess child("draw_images", {folder, name});
        return child.Wait();
    };
    const auto same = [&folder](const char* a, const char* b) {
        int largest = 0;
        for (int n = 0; n < 21; ++n) {
            const std::string suffix = "-" + std::to_string(n) + ".png";
            const QImage first(QString::fromStdString(folder + "/" + a + suffix));
            const QImage second(QString::fromStdString(folder + "/" + b + suffix));
            largest = std::max(largest, first.isNull() ? 256 : LargestDifference(first, second));
        }
        return largest;
    };
    ASSERT_EQ(run("drawn"), 0);
    ASSERT_TRUE(std::filesystem::exists(kept)) << "nothing kept for the next run";
    const auto size = std::filesystem::file_size(kept);
    ASSERT_EQ(run("kept"), 0);
    EXPECT_EQ(same("drawn", "kept"), 0);

    std::filesystem::resize_file(kept, size / 2);
    ASSERT_EQ(run("damaged"), 0);
    EXPECT_EQ(same("drawn", "damaged"), 0);
    EXPECT_EQ(std::filesystem::file_size(kept), size) << "the damaged file was not replaced";
}

// Every image on a light and on a dark ground, at the sizes the program uses.
TEST_F(ResourceImagesTest, WritesContactSheet) {
    const int sizes[] = {16, 22, 32, 48};
    const int cell = 56;
    const int half = 20 + int(std::size(kIconIds)) * cell;
    QImage sheet(2 * half, 4 * cell + 240, QImage::Format_ARGB32);
    sheet.fill(Qt::transparent);
    QPainter painter(&sheet);
    painter.fillRect(0, 0, half, sheet.height(), QColor("#fafafa"));
    painter.fillRect(half, 0, half, sheet.height(), QColor("#242424"));
    for (int ground = 0; ground < 2; ++ground) {
        const int left = ground * half + 10;
        for (int row = 0; row < 4; ++row) {
            for (int column = 0; column < int(std::size(kIconIds)); ++column) {
                const int s = sizes[row];
                const QPixmap image = ResourceIcon(kIconIds[column]).pixmap(s, s);
                painter.drawPixmap(left + column * cell + (cell - s) / 2,
                                   10 + row * cell + (cell - s) / 2, image);
            }
        }
        const int top = 10 + 4 * cell;
        painter.drawPixmap(left, top, ResourceBitmap(184));
        painter.drawPixmap(left, top + 30, ResourceBitmap(223));
        // The strips again, twice as large, to judge the drawing.
        painter.drawPixmap(QRect(left, top + 60, 396, 44), ResourceBitmap(184, {396, 44}));
        painter.drawPixmap(QRect(left, top + 110, 396, 44), ResourceBitmap(223, {396, 44}));
        painter.drawPixmap(left + 420, top, ResourceBitmap(244));
        const int views[] = {176, 177, 188, 210};
        for (int i = 0; i < 4; ++i) {
            painter.drawPixmap(left + i * 60, top + 165, ResourceBitmap(views[i]));
            painter.drawPixmap(left + 580 + (i % 2) * 110, top + (i / 2) * 110,
                               ResourceBitmap(views[i], {96, 96}));
        }
    }
    painter.end();
    const std::filesystem::path folder = vktest::BinaryDir() / "screenshots";
    std::filesystem::create_directories(folder);
    const QString path = QString::fromStdString((folder / "images.png").string());
    ASSERT_TRUE(sheet.save(path));
    EXPECT_FALSE(QImage(path).isNull());
}

}  // namespace
