// vkCert's start-up as the program runs it (its static objects, InitInstance and the main
// frame), ending once the window is shown and lists the readers of the token store.
#include <QApplication>
#include <QTimer>

#include "ReadyReport.h"
#include "app/CvkCertApp.h"
#include "tree/view/CItemsTreeView.h"
#include "ui/frame/CMainFrame.h"

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

}  // namespace

int main(int argc, char** argv) {
    CvkCertApp& app = TheApp();
    if (!app.InitInstance(argc, argv)) {
        return 1;
    }
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&app] {
        if (ListsReaders(app.MainFrame())) {
            app.MainFrame()->repaint();
            ReportReady();
            QApplication::quit();
        }
    });
    poll.start(1);
    QApplication::exec();
    app.ExitInstance();
    return 0;
}
