#include "gui/help/CHelpBrowser.h"

#include <QHelpEngineCore>

namespace SHTMLHelper {

CHelpBrowser::CHelpBrowser(QHelpEngineCore& engine, QWidget* parent)
    : QTextBrowser(parent), m_engine(engine) {
    setObjectName(QStringLiteral("helpBrowser"));
    setOpenExternalLinks(true);
}

QVariant CHelpBrowser::loadResource(int type, const QUrl& name) {
    if (name.scheme() == QLatin1String("qthelp")) {
        return m_engine.fileData(name);
    }
    return QTextBrowser::loadResource(type, name);
}

}  // namespace SHTMLHelper
