#include "gui/ui/views/DetailBoxFont.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <mutex>

namespace {

QFont FixedFont() {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    return font;
}

// The height names the whole cell (ascent and descent), not the em size: the largest pixel
// size whose line fits into it.
int FittingPixelSize(QFont font) {
    int pixels = kDetailBoxCellHeight;
    font.setPixelSize(pixels);
    while (pixels > 1 && QFontMetrics(font).height() > kDetailBoxCellHeight) {
        font.setPixelSize(--pixels);
    }
    return pixels;
}

}  // namespace

QFont DetailBoxFont() {
    QFont font = FixedFont();
    // Each size tried loads the font anew: found once per process, by whichever thread asks
    // first.
    static std::once_flag found;
    static int pixels = 0;
    std::call_once(found, [&font] { pixels = FittingPixelSize(font); });
    font.setPixelSize(pixels);
    return font;
}
