#include "gui/app/ApplicationStyle.h"

#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <QStyleOption>
#include <QWidget>

namespace {

constexpr int kSizes[] = {8, 16, 32};

}  // namespace

CApplicationStyle::CApplicationStyle(QStyle* platformStyle) : QProxyStyle(platformStyle) {}

QIcon CApplicationStyle::standardIcon(StandardPixmap standardIcon, const QStyleOption* option,
                                      const QWidget* widget) const {
    const Qt::LayoutDirection direction =
        option != nullptr ? option->direction
                          : (widget != nullptr ? widget->layoutDirection() : Qt::LeftToRight);
    const QPalette palette = widget != nullptr ? widget->palette() : QApplication::palette();
    switch (standardIcon) {
        case SP_ToolBarHorizontalExtensionButton:
            return ExtensionArrows(palette, direction, Qt::Horizontal);
        case SP_ToolBarVerticalExtensionButton:
            return ExtensionArrows(palette, direction, Qt::Vertical);
        default:
            return QProxyStyle::standardIcon(standardIcon, option, widget);
    }
}

// Two arrows one after the other, pointing where the hidden buttons are: right (left in a
// right-to-left layout) for a horizontal bar, down for a vertical one.
QIcon CApplicationStyle::ExtensionArrows(const QPalette& palette, Qt::LayoutDirection direction,
                                         Qt::Orientation orientation) const {
    const PrimitiveElement arrow =
        orientation == Qt::Vertical
            ? PE_IndicatorArrowDown
            : (direction == Qt::RightToLeft ? PE_IndicatorArrowLeft : PE_IndicatorArrowRight);
    QIcon icon;
    for (const int size : kSizes) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        QStyleOption option;
        option.palette = palette;
        option.state = State_Enabled;
        for (const int step : {0, 1}) {
            const int offset = size / 4 * step;
            option.rect = orientation == Qt::Vertical ? QRect(0, offset, size, size / 2)
                                                      : QRect(offset, 0, size / 2, size);
            baseStyle()->drawPrimitive(arrow, &option, &painter);
        }
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}
