#include "gui/app/CvkCertApp.h"

#include <QApplication>
#include <QSocketNotifier>

#include <unistd.h>
#include <csignal>

#include "desktop/BringWindowsToFront.h"
#include "gui/app/ApplicationStyle.h"
#include "gui/app/CMutextInfo.h"
#include "gui/app/CvkCertDoc.h"
#include "gui/app/QtLanguage.h"
#include "gui/app/STools/CAlreadyLaunched.h"
#include "gui/app/StartupWarmUp.h"
#include "gui/help/CHelpInstallation.h"
#include "gui/resources/LanguageEvents.h"
#include "gui/resources/ResourceImages.h"
#include "gui/ui/frame/CMainFrame.h"
#include "gui/ui/frame/CQtUserInterface.h"
#include "program/app/LangResource.h"
#include "program/app/UiLanguage.h"
#include "program/core/sdp/singleton_auto_pointer.h"
#include "program/tree/CCertTree.h"
#include "res/resource.h"

namespace {

constexpr DWORD kProviderType = 1;
constexpr int kFailedInitialisation = 1;

using CInstanceGuard = STools::CAlreadyLaunched<CMutextInfo>;

// A request to end (SIGTERM, SIGINT, SIGHUP: the session ends, the terminal goes) closes the main
// window the way its close button does, so that the settings are saved. The handler only writes
// to a pipe; the window thread reads it.
int g_terminationPipe[2] = {-1, -1};

void OnTerminationSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = write(g_terminationPipe[1], &byte, 1);
}

void CloseOnTermination(QWidget* window) {
    if (g_terminationPipe[0] < 0 && pipe(g_terminationPipe) != 0) {
        return;
    }
    auto* notifier = new QSocketNotifier(g_terminationPipe[0], QSocketNotifier::Read, window);
    QObject::connect(notifier, &QSocketNotifier::activated, window, [window] {
        char byte = 0;
        [[maybe_unused]] const ssize_t got = read(g_terminationPipe[0], &byte, 1);
        window->close();
    });
    struct sigaction action {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        sigaction(signal, &action, nullptr);
    }
}

}  // namespace

CvkCertApp::CvkCertApp() = default;

CvkCertApp::~CvkCertApp() {
    ExitInstance();
}

int CvkCertApp::Run(int argc, char** argv) {
    if (!InitInstance(argc, argv)) {
        ExitInstance();
        return kFailedInitialisation;
    }
    const int code = QCoreApplication::exec();
    ExitInstance();
    return code;
}

bool CvkCertApp::InitInstance(int& argc, char** argv) {
    SDP::singleton_auto_pointer<CInstanceGuard> guard;
    // The check itself ran during static construction, before any Qt object.
    if (guard->IsAlreadyLaunched()) {
        return EndSecondCopy(argc, argv);
    }
    m_warmUp = std::make_unique<CStartupWarmUp>();
    m_qt = std::make_unique<QApplication>(argc, argv);
    // The desktop shows the window under the installed entry's name and icon (ru.orvel.vkcert).
    QGuiApplication::setDesktopFileName(QStringLiteral("ru.orvel.vkcert"));
    QApplication::setStyle(new CApplicationStyle(QApplication::style()));  // owned by Qt
    // Every window of the program carries its icon, dialogs and message boxes too.
    QApplication::setWindowIcon(ResourceIcon(IDR_MAINFRAME));
    PrepareCertificateTree();
    InitUiLanguage();
    m_warmUp->QtStarted();
    m_ui = std::make_unique<CQtUserInterface>();
    // Before the windows' delivery: a switch reaches Qt's texts first.
    m_qtLanguage = std::make_unique<CQtLanguage>();
    m_languageDelivery = std::make_unique<CLanguageEventDelivery>();
    // The help files of both languages, and the help window's place of the last run.
    m_help = std::make_unique<SHTMLHelper::CHelpInstallation>(
        LoadLangString(IDS_SETTINGS_KEY, LANG_NEUTRAL_DEFAULT_ID));

    m_document = std::make_unique<CvkCertDoc>();
    if (!m_document->OnNewDocument()) {
        return false;
    }
    m_frame = std::make_unique<CMainFrame>();
    m_frame->CreateEarlyParts();
    // A second copy's signal is handled by the event loop, so after the window is made.
    guard->Listen([] { BringWindowsToFront(); });
    m_warmUp->WaitForFonts();
    if (!m_frame->Create()) {
        return false;
    }
    m_ui->SetOwner(m_frame.get());
    CloseOnTermination(m_frame.get());
    m_frame->ShowWindow();
    return true;
}

bool CvkCertApp::EndSecondCopy(int& argc, char** argv) {
    // Telling the first copy needs an event loop's machinery, not a display.
    m_qt = std::make_unique<QCoreApplication>(argc, argv);
    SDP::singleton_auto_pointer<CInstanceGuard> guard;
    guard->SignalFirstCopy();
    return false;
}

void CvkCertApp::PrepareCertificateTree() {
    SVKCERTTREE::CCertTreePtr tree;
    tree->SetProductWord(LoadLangString(IDS_PRODUCT_WORD, LANG_NEUTRAL_DEFAULT_ID));
    tree->SetProviderDescriptor(SVKCERT::CProviderDescriptor{
        LoadLangString(IDS_PROVIDER_NAME, LANG_NEUTRAL_DEFAULT_ID), kProviderType});
}

void CvkCertApp::ExitInstance() {
    m_warmUp.reset();  // before Qt goes: it may be measuring fonts
    m_frame.reset();
    m_help.reset();  // stores the help window's place, removes the help files
    m_document.reset();
    m_languageDelivery.reset();
    m_qtLanguage.reset();
    m_ui.reset();
    m_qt.reset();
}
