// The file of drawn pictures kept between runs: read back pixel for pixel, written only after a
// store, and damaged or foreign files taken as empty and replaced.
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>

#include <tuple>

#include "gui/resources/RenderedImageCache.h"
#include "support/TempWorld.h"

namespace {

QImage Picture(int width, int height, QRgb colour) {
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(colour);
    image.setPixel(0, 0, qPremultiply(qRgba(10, 20, 30, 128)));
    return image;
}

TEST(RenderedImageCache, StoredPicturesReadBackWrittenAfterAStoreDamagedFilesReplaced) {
    vktest::TempWorld world;
    const QString path = QString::fromStdString((world.Root() / "cache/x").string());
    // A picture of another shape than its natural size, one without a size, a size alone.
    const std::tuple<QByteArray, QSize, QImage> entries[] = {
        {"a", QSize(198, 22), Picture(22, 198, qRgba(255, 0, 0, 255))},
        {"b", QSize(), Picture(16, 16, 0)},
        {"size", QSize(40, 30), QImage()}};
    {
        CRenderedImageCache cache(path);
        EXPECT_FALSE(cache.Find("a").has_value());
        for (const auto& [key, natural, image] : entries) {
            cache.Store(key, {natural, image});
        }
        ASSERT_TRUE(cache.Find("a").has_value()) << "found before it is saved too";
        ASSERT_TRUE(cache.Save());
    }
    CRenderedImageCache next(path);
    for (const auto& [key, natural, image] : entries) {
        const auto found = next.Find(key);
        ASSERT_TRUE(found.has_value()) << key.toStdString();
        EXPECT_EQ(found->natural, natural) << key.toStdString();
        EXPECT_EQ(found->image, image) << key.toStdString();
    }
    EXPECT_FALSE(next.Find("c").has_value());

    // Nothing is written until something was stored.
    ASSERT_TRUE(QFile::remove(path));
    CRenderedImageCache cache(path);
    EXPECT_TRUE(cache.Save());
    EXPECT_FALSE(QFile::exists(path));
    cache.Store("a", {QSize(1, 1), Picture(1, 1, 0xffffffff)});
    EXPECT_TRUE(cache.Save());
    EXPECT_TRUE(QFile::exists(path));

    // An entry replaced keeps only its newer picture.
    cache.Store("a", {QSize(2, 2), Picture(2, 2, 0xff0000ff)});
    ASSERT_TRUE(cache.Save());
    const auto a = CRenderedImageCache(path).Find("a");
    ASSERT_TRUE(a.has_value());
    EXPECT_EQ(a->image.size(), QSize(2, 2));

    // Without a file it keeps pictures for the run only.
    CRenderedImageCache unsaved{QString()};
    unsaved.Store("a", {QSize(1, 1), Picture(1, 1, 0xffffffff)});
    EXPECT_TRUE(unsaved.Find("a").has_value());
    EXPECT_FALSE(unsaved.Save());

    {
        CRenderedImageCache cache(path);
        cache.Store("a", {QSize(22, 22), Picture(22, 22, 0xff00ff00)});
        cache.Store("b", {QSize(22, 22), Picture(22, 22, 0xff0000ff)});
        ASSERT_TRUE(cache.Save());
    }
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray good = file.readAll();
    file.close();
    ASSERT_GT(good.size(), 2 * 22 * 22 * 4);

    QByteArray wrongSize = good;
    // The first entry's picture claims a larger width than its pixels fill.
    const qsizetype widthAt = good.indexOf(QByteArray("\x00\x00\x00\x16\x00\x00\x00\x16", 8));
    ASSERT_GE(widthAt, 0);
    wrongSize[widthAt + 3 + 8] = char(0x17);
    QByteArray hugeCount = good;
    hugeCount[4] = char(0x7f);

    for (const QByteArray& bad :
         {good.left(good.size() - 100), good.left(3), QByteArray(),
          QByteArray("\x89PNG\r\n\x1a\n and more", 18), wrongSize, hugeCount}) {
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bad);
        file.close();
        CRenderedImageCache cache(path);
        EXPECT_FALSE(cache.Find("a").has_value()) << bad.size();
        EXPECT_FALSE(cache.Find("b").has_value()) << bad.size();
        cache.Store("c", {QSize(1, 1), Picture(1, 1, 0xffffffff)});
        ASSERT_TRUE(cache.Save());
        EXPECT_TRUE(CRenderedImageCache(path).Find("c").has_value());
    }
}

}  // namespace
