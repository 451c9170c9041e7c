// vkCert's start-up as the program runs it (its static objects, InitInstance and the main
// frame), ending once the window is shown and lists the readers of the token store.
#include <QApplication>
#include <QTimer>

#include "ReadyReport.h"
#include "gui/app/CvkCertApp.h"
#include "gui/tree/CItemsTreeView.h"
#include "gui/ui/frame/CMainFrame.h"

namespace {

// Readers the window must list before it counts as ready.
constexpr std::size_t kReaders = 3;

bool ListsReaders(CMainFrame* frame) {
    if (frame == nullptr || !frame->isVisible() || frame->TreeView() == nullptr) {
        return false;
    }
    std::vector<STreeItemInfo::ITreeItemInfoPtr> readers;
    frame->TreeView()->ChildNodes(nullptr, readers);
    return readers.size() >= kReaders;
}

// Looks once the events queued so far have run (the frame-ready message among them), and again
// after every later round of events while the readers are not listed yet: as promptly as the
// minimal window reports itself.
void ReportWhenReady(CvkCertApp& app) {
    QTimer::singleShot(0, [&app] {
        if (!ListsReaders(app.MainFrame())) {
            ReportWhenReady(app);
            return;
        }
        app.MainFrame()->repaint();
        ReportReady();
        QApplication::quit();
    });
}

}  // namespace

int main(int argc, char** argv) {
    CvkCertApp& app = TheApp();
    if (!app.InitInstance(argc, argv)) {
        return 1;
    }
    ReportWhenReady(app);
    QApplication::exec();
    app.ExitInstance();
    return 0;
}
