// The page pane of the help window: a text browser whose pages and pictures come from the help
// engine (qthelp:// addresses); links to the outside open in the desktop's browser.
#pragma once

#include <QTextBrowser>

class QHelpEngineCore;

namespace SHTMLHelper {

class CHelpBrowser : public QTextBrowser {
    Q_OBJECT
public:
    CHelpBrowser(QHelpEngineCore& engine, QWidget* parent);

    QVariant loadResource(int type, const QUrl& name) override;

private:
    QHelpEngineCore& m_engine;
};

}  // namespace SHTMLHelper
