#include "support/gui/QtApp.h"

#include <QApplication>

namespace vktest {

QApplication& QtApp() {
    static int argc = 1;
    static char name[] = "vktest";
    static char* argv[] = {name, nullptr};
    static QApplication* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (!app) {
        // Deliberately never destroyed: widgets of static lifetime may outlive tests.
        app = new QApplication(argc, argv);
    }
    return *app;
}

}  // namespace vktest
