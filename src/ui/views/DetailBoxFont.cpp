#include "ui/views/DetailBoxFont.h"

#include <QFontDatabase>
#include <QFontMetrics>

QFont DetailBoxFont() {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    // The height names the whole cell (ascent and descent), not the em size:
    // the largest pixel size whose line fits into it.
    int pixels = kDetailBoxCellHeight;
    font.setPixelSize(pixels);
    while (pixels > 1 && QFontMetrics(font).height() > kDetailBoxCellHeight) {
        font.setPixelSize(--pixels);
    }
    return font;
}
