// The detail box's font: fixed pitch, and the largest pixel size whose whole line fits into the
// 17-pixel cell, checked against the font's own metrics one size up.
#include <gtest/gtest.h>

#include <QFontInfo>
#include <QFontMetrics>

#include "gui/ui/views/DetailBoxFont.h"
#include "support/gui/QtApp.h"

TEST(DetailBoxFont, IsTheLargestFixedPitchSizeWhoseLineFitsTheCell) {
    vktest::QtApp();
    const QFont font = DetailBoxFont();
    EXPECT_TRUE(QFontInfo(font).fixedPitch());
    EXPECT_FALSE(font.italic());
    EXPECT_EQ(font.weight(), QFont::Normal);
    const int pixels = font.pixelSize();
    ASSERT_GE(pixels, 1);
    ASSERT_LE(pixels, kDetailBoxCellHeight);
    EXPECT_LE(QFontMetrics(font).height(), kDetailBoxCellHeight);
    if (pixels < kDetailBoxCellHeight) {
        QFont larger(font);
        larger.setPixelSize(pixels + 1);
        EXPECT_GT(QFontMetrics(larger).height(), kDetailBoxCellHeight) << "pixel size " << pixels;
    }
}
