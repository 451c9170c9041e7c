// The program's icons and bitmaps, found by resource id. They are SVG files
// embedded under ":/res/<id>.svg" (and ":/res/<id>-16.svg" where a simpler
// drawing reads better at small sizes), rendered at the size asked for, sharp
// on high-density screens. GUI thread only.
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QSize>

// An icon that renders sharp at any size; a null icon for an unknown id.
QIcon ResourceIcon(int id);

// The image at `size` in device-independent pixels (the image's own size when
// empty), stretched to fill it; a null pixmap for an unknown id.
QPixmap ResourceBitmap(int id, QSize size = {});

// The `index`-th 22 by 22 image of a tool bar strip; a null pixmap for an
// unknown strip or an index outside it.
QPixmap ToolBarImage(int stripId, int index);
