// The application object: brings the program up (the single-instance rule, the certificate
// tree's product word and provider, the interface language, the document and the main frame)
// and takes it down again. Built during static construction; the Qt application object exists
// only between the start and the end of Run.
#pragma once

#include <memory>

class QCoreApplication;
class CLanguageEventDelivery;
class CMainFrame;
class CQtLanguage;
class CQtUserInterface;
class CStartupWarmUp;
class CvkCertDoc;
namespace SHTMLHelper {
class CHelpInstallation;
}

class CvkCertApp {
public:
    CvkCertApp();
    ~CvkCertApp();
    CvkCertApp(const CvkCertApp&) = delete;
    CvkCertApp& operator=(const CvkCertApp&) = delete;

    // The whole run: InitInstance, the message loop, the exit. Answers the exit code; 1 when
    // InitInstance failed (a second copy among others).
    int Run(int argc, char** argv);

    // False ends the process at once: a second copy (after it told the first one), or a main
    // window that could not be created.
    bool InitInstance(int& argc, char** argv);
    // Waits for the start-up work of the second thread, then destroys the windows, the document
    // and the Qt application object, in that order.
    void ExitInstance();

    CMainFrame* MainFrame() const { return m_frame.get(); }

private:
    bool EndSecondCopy(int& argc, char** argv);
    void PrepareCertificateTree();

    std::unique_ptr<CStartupWarmUp> m_warmUp;
    std::unique_ptr<QCoreApplication> m_qt;
    std::unique_ptr<CQtUserInterface> m_ui;
    std::unique_ptr<CQtLanguage> m_qtLanguage;
    std::unique_ptr<CLanguageEventDelivery> m_languageDelivery;
    std::unique_ptr<SHTMLHelper::CHelpInstallation> m_help;
    std::unique_ptr<CvkCertDoc> m_document;
    std::unique_ptr<CMainFrame> m_frame;
};

// The process's application object (defined with the other static objects).
CvkCertApp& TheApp();
