// A minimal Qt 6 Widgets program: a main window with a menu bar, a tool bar, a status bar and a
// tree, shown, reporting once it has been shown and painted.
#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>

#include "ReadyReport.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.menuBar()->addMenu(QStringLiteral("File"));
    window.addToolBar(QStringLiteral("Tools"));
    window.statusBar()->showMessage(QStringLiteral("Ready"));
    auto* tree = new QTreeWidget(&window);
    tree->addTopLevelItem(new QTreeWidgetItem(QStringList{QStringLiteral("Reader")}));
    window.setCentralWidget(tree);
    window.show();
    QTimer::singleShot(0, &window, [&window] {
        window.repaint();
        ReportReady();
        QApplication::quit();
    });
    return QApplication::exec();
}
