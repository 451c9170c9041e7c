#include "gui/help/CHelper.h"

#include <QApplication>
#include <QEvent>
#include <QHelpEngine>
#include <QLibraryInfo>
#include <QTranslator>

#include "gui/help/CHelpKeyFilter.h"
#include "gui/help/CHelpResourceHolder.h"
#include "gui/help/CHelpWindow.h"
#include "platform/text/FormatString.h"
#include "program/app/LangResource.h"
#include "program/app/UiLanguage.h"
#include "program/ui/IUserInterface.h"
#include "res/resource.h"

namespace SHTMLHelper {

namespace {

void Complain(const std::wstring& text) {
    GetUserInterface().MessageBox(text, LoadLangString(IDS_HELP_CAPTION), MB_OK | MB_ICONWARNING);
}

}  // namespace

CHelper::CHelper()
    : m_keyFilter(
          std::make_unique<CHelpKeyFilter>([this](const QString& topic) { ShowTopic(topic); })),
      m_language([this] { FollowLanguage(); }) {}

CHelper::~CHelper() {
    m_window.reset();
    if (m_qtHelpTexts) {
        QCoreApplication::removeTranslator(m_qtHelpTexts.get());
    }
}

void CHelper::SetHelpFile(std::shared_ptr<const SCHMFile::CHelpResourceHolder> file) {
    m_file = std::move(file);
}

std::unique_ptr<QHelpEngine> CHelper::OpenEngine(LANGID language) {
    const QString qch = m_file ? m_file->GetFilePath(language) : QString();
    if (qch.isEmpty()) {
        Complain(LoadLangString(IDS_HELP_FILE_MISSING));
        return nullptr;
    }
    // The engine's collection, and the search index beside it, live in the run's own folder.
    const QString collection =
        QStringLiteral("%1/collection-%2.qhc").arg(m_file->Folder()).arg(language);
    auto engine = std::make_unique<QHelpEngine>(collection);
    engine->setReadOnly(false);
    const QString name = QHelpEngineCore::namespaceName(qch);
    const bool usable =
        !name.isEmpty() && engine->setupData() &&
        (engine->registeredDocumentations().contains(name) || engine->registerDocumentation(qch)) &&
        !engine->findFile(QUrl(QStringLiteral("qthelp://%1/doc/%2").arg(name, kContentsTopic)))
             .isEmpty();
    if (!usable) {
        Complain(FormatString(LoadLangString(IDS_HELP_FILE_DAMAGED), qch.toStdWString()));
        return nullptr;
    }
    return engine;
}

void CHelper::LoadQtHelpTexts(LANGID language) {
    if (m_qtHelpTexts) {
        QCoreApplication::removeTranslator(m_qtHelpTexts.get());
        m_qtHelpTexts.reset();
    }
    if (language != LANG_RUSSIAN_ID) {
        return;
    }
    auto texts = std::make_unique<QTranslator>();
    if (texts->load(QStringLiteral("qt_help_ru"),
                    QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
        QCoreApplication::installTranslator(texts.get())) {
        m_qtHelpTexts = std::move(texts);
    }
}

CHelpWindow* CHelper::PrepareWindow() {
    // One guide in Russian, one for every other language.
    const LANGID language =
        GetUiLanguage() == LANG_RUSSIAN_ID ? LANG_RUSSIAN_ID : LANG_NEUTRAL_DEFAULT_ID;
    if (m_window && m_windowLanguage == language) {
        return m_window.get();
    }
    Capture();
    m_window.reset();
    std::unique_ptr<QHelpEngine> engine = OpenEngine(language);
    if (!engine) {
        return nullptr;
    }
    LoadQtHelpTexts(language);
    m_window = std::make_unique<CHelpWindow>(std::move(engine));
    m_windowLanguage = language;
    m_window->installEventFilter(this);
    // An open help window does not keep the program running once the main window is closed.
    m_window->setAttribute(Qt::WA_QuitOnClose, false);
    if (m_stateKnown) {
        m_window->ApplyState(m_state);
    }
    return m_window.get();
}

void CHelper::Present() {
    // Over a modal dialog the window takes the input itself, or the dialog would keep it.
    const QWidget* modal = QApplication::activeModalWidget();
    const Qt::WindowModality modality =
        modal != nullptr && modal != m_window.get() ? Qt::ApplicationModal : Qt::NonModal;
    if (m_window->windowModality() != modality) {
        m_window->hide();
        m_window->setWindowModality(modality);
    }
    const bool first = !m_window->isVisible();
    m_window->show();
    if (first && m_stateKnown) {
        m_window->ApplyState(m_state);  // the pane width once the window has its size
    }
    m_window->raise();
    m_window->activateWindow();
}

bool CHelper::ShowHelp(EHelpTab tab, const QString& topic) {
    CHelpWindow* window = PrepareWindow();
    if (window == nullptr) {
        return false;
    }
    window->ShowTab(tab);
    window->ShowTopic(topic);
    Present();
    return true;
}

bool CHelper::ShowTopic(const QString& topic) {
    CHelpWindow* window = PrepareWindow();
    if (window == nullptr) {
        return false;
    }
    if (!window->ShowTopic(topic)) {
        window->ShowTopic(QString::fromLatin1(kContentsTopic));
    }
    Present();
    return true;
}

void CHelper::Capture() {
    if (m_window && m_window->testAttribute(Qt::WA_WState_Created) && m_window->isVisible()) {
        m_state = m_window->State();
        m_stateKnown = true;
    }
}

bool CHelper::eventFilter(QObject* watched, QEvent* event) {
    // A closed window keeps the place it had for the next opening and for the settings.
    if (watched == m_window.get() && event->type() == QEvent::Close) {
        Capture();
    }
    return false;
}

void CHelper::RestoreWindowState(const CHelpWindowState& state) {
    m_state = state;
    m_stateKnown = true;
    if (m_window) {
        m_window->ApplyState(m_state);
    }
}

bool CHelper::SaveWindowState(CHelpWindowState& state) {
    Capture();
    if (!m_stateKnown) {
        return false;
    }
    state = m_state;
    return true;
}

void CHelper::FollowLanguage() {
    const LANGID language =
        GetUiLanguage() == LANG_RUSSIAN_ID ? LANG_RUSSIAN_ID : LANG_NEUTRAL_DEFAULT_ID;
    if (!m_window || m_windowLanguage == language) {
        return;
    }
    const bool shown = m_window->isVisible();
    const EHelpTab tab = m_window->CurrentTab();
    const QString topic = m_window->CurrentTopic();
    Capture();
    m_window.reset();
    if (shown) {
        ShowHelp(tab, topic.isEmpty() ? QString::fromLatin1(kContentsTopic) : topic);
    }
}

}  // namespace SHTMLHelper
