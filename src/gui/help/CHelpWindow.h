// The help window: the navigation pane (contents, index with its filter, full-text search) beside
// the page pane, with Back and Forward, over one language's help engine, which it owns. Its
// caption is string 231.
#pragma once

#include <QWidget>
#include <memory>

#include "gui/help/CHtmlHelperSetting.h"
#include "gui/help/HelpTopics.h"

class QHelpEngine;
class QLineEdit;
class QSplitter;
class QTabWidget;
class QUrl;

namespace SHTMLHelper {

class CHelpBrowser;

class CHelpWindow : public QWidget {
    Q_OBJECT
public:
    // `engine` is set up with the guide of one language registered.
    explicit CHelpWindow(std::unique_ptr<QHelpEngine> engine);
    ~CHelpWindow() override;
    CHelpWindow(const CHelpWindow&) = delete;
    CHelpWindow& operator=(const CHelpWindow&) = delete;

    void ShowTab(EHelpTab tab);
    EHelpTab CurrentTab() const;
    // Opens a topic page by its file name; false when the guide has no such page.
    bool ShowTopic(const QString& topic);
    // The file name of the page shown; empty before the first.
    QString CurrentTopic() const;

    // Rectangle of the window in screen coordinates and the navigation pane's width.
    CHelpWindowState State() const;
    // Places the window where the state says, when its rectangle is one; then the pane width.
    void ApplyState(const CHelpWindowState& state);

    QTabWidget* Tabs() const { return m_tabs; }
    CHelpBrowser* Browser() const { return m_browser; }
    QLineEdit* IndexFilter() const { return m_indexFilter; }
    QHelpEngine* Engine() const { return m_engine.get(); }

private:
    QWidget* MakeIndexPage();
    QWidget* MakeSearchPage();
    void Open(const QUrl& url);
    void SyncContents(const QUrl& url);
    QUrl TopicUrl(const QString& topic) const;

    std::unique_ptr<QHelpEngine> m_engine;
    QSplitter* m_splitter = nullptr;
    QTabWidget* m_tabs = nullptr;
    CHelpBrowser* m_browser = nullptr;
    QLineEdit* m_indexFilter = nullptr;
};

}  // namespace SHTMLHelper
