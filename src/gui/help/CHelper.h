// The program's help: one help window over the guide of the interface language, opened on a tab
// or a topic, raised when open, rebuilt in the other language when the language switches. It
// keeps the window's last rectangle and navigation width for the settings. F1 reaches it from
// every window (CHelpKeyFilter). One per process, held by SDP::singleton_auto_pointer; made and
// destroyed while the Qt application object exists.
#pragma once

#include <QObject>
#include <QString>
#include <memory>

#include "gui/help/CHtmlHelperSetting.h"
#include "gui/help/HelpTopics.h"
#include "program/app/LangIds.h"
#include "program/app/LanguageChangeListeners.h"
#include "program/core/sdp/singleton_auto_pointer.h"

class QHelpEngine;
class QTranslator;

namespace SHTMLHelper {

namespace SCHMFile {
class CHelpResourceHolder;
}
class CHelpKeyFilter;
class CHelpWindow;

class CHelper : public QObject {
public:
    CHelper();
    ~CHelper() override;
    CHelper(const CHelper&) = delete;
    CHelper& operator=(const CHelper&) = delete;

    // The help files; without them (or without the file of a language) help requests show why
    // they fail.
    void SetHelpFile(std::shared_ptr<const SCHMFile::CHelpResourceHolder> file);

    // Opens the help window on the tab with the topic, raises it when open. False, after a
    // message that says why, when the guide of the interface language cannot be shown.
    bool ShowHelp(EHelpTab tab, const QString& topic);
    // Opens the topic, the navigation pane left on its tab (F1 and the dialogs' Help buttons).
    bool ShowTopic(const QString& topic);

    // The rectangle and pane width the next window takes (the settings read at start).
    void RestoreWindowState(const CHelpWindowState& state);
    // The state of the window, or the last one known; false, the record left as it was, when
    // no window was ever shown and nothing was restored.
    bool SaveWindowState(CHelpWindowState& state);

    // The window; null until help was first shown.
    CHelpWindow* Window() const { return m_window.get(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    CHelpWindow* PrepareWindow();
    std::unique_ptr<QHelpEngine> OpenEngine(LANGID language);
    void Present();
    void Capture();
    void FollowLanguage();
    void LoadQtHelpTexts(LANGID language);

    std::shared_ptr<const SCHMFile::CHelpResourceHolder> m_file;
    std::unique_ptr<CHelpWindow> m_window;
    LANGID m_windowLanguage = 0;
    CHelpWindowState m_state;
    bool m_stateKnown = false;
    std::unique_ptr<QTranslator> m_qtHelpTexts;
    std::unique_ptr<CHelpKeyFilter> m_keyFilter;
    CLanguageChangeSubscription m_language;
};

}  // namespace SHTMLHelper
