// The program's icon (128) on its windows: the start-up gives it to the application, so the main
// window and every window made afterwards carry it (on X11 as _NET_WM_ICON).
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QImage>

#include "gui/app/CMutextInfo.h"
#include "gui/app/CvkCertApp.h"
#include "gui/app/STools/CAlreadyLaunched.h"
#include "gui/resources/ResourceImages.h"
#include "gui/ui/frame/CMainFrame.h"
#include "program/core/sdp/CSingletonRegistry.h"
#include "program/core/sdp/singleton_auto_pointer.h"
#include "res/resource.h"
#include "support/TempWorld.h"

namespace {

QImage At32(const QIcon& icon) {
    return icon.pixmap(QSize(32, 32)).toImage();
}

TEST(WindowIcon, TheMainWindowAndLaterWindowsCarryTheProgramsIcon) {
    vktest::TempWorld world;
    {
        // What the program's static objects do before the start.
        SDP::singleton_auto_pointer<STools::CAlreadyLaunched<CMutextInfo>> guard;
        int argc = 1;
        char name[] = "vkcert";
        char* argv[] = {name, nullptr};
        CvkCertApp app;
        ASSERT_TRUE(app.InitInstance(argc, argv));
        const QImage expected = At32(ResourceIcon(IDR_MAINFRAME));
        ASSERT_FALSE(expected.isNull());
        EXPECT_TRUE(At32(QApplication::windowIcon()) == expected) << "the application's";
        EXPECT_TRUE(At32(app.MainFrame()->windowIcon()) == expected) << "the main window's";
        QDialog later;
        EXPECT_TRUE(At32(later.windowIcon()) == expected) << "a dialog's";
        app.ExitInstance();
    }
    SDP::SINGLETON::Teardown();
}

}  // namespace
