#include "gui/ui/views/ViewText.h"

QString DetailBoxText(const std::wstring& detail) {
    QString text = ToQString(detail);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}
