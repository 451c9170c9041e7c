// The program's style: the platform's own, except for the arrows of the tool bar's and menu bar's
// extension buttons, which it draws. The platform style reads those from image files, and reading
// any image file makes Qt load every image format plugin it has, a millisecond and more at start
// for a button seldom seen.
#pragma once

#include <QProxyStyle>

class CApplicationStyle : public QProxyStyle {
    Q_OBJECT

public:
    // Takes over the style given (the application's default one).
    explicit CApplicationStyle(QStyle* platformStyle);

    QIcon standardIcon(StandardPixmap standardIcon, const QStyleOption* option = nullptr,
                       const QWidget* widget = nullptr) const override;

private:
    QIcon ExtensionArrows(const QPalette& palette, Qt::LayoutDirection direction,
                          Qt::Orientation orientation) const;
};
