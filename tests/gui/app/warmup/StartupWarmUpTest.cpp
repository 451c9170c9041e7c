// The start-up thread ends when the program gives up before Qt starts; once Qt has started its
// work (fonts, OpenSSL, token connections) is done or waited for when it goes.
#include <gtest/gtest.h>

#include <QFontMetrics>

#include "gui/app/StartupWarmUp.h"
#include "gui/resources/DialogFont.h"
#include "gui/ui/views/DetailBoxFont.h"
#include "platform/token/TokenWorld.h"
#include "support/ChildProcess.h"
#include "support/TempWorld.h"
#include "support/gui/QtApp.h"

VK_TEST_CHILD(give_up_before_qt) {
    for (int round = 0; round < 3; ++round) {
        CStartupWarmUp warmUp;
        if (round == 1) {
            warmUp.WaitForFonts();
        }
    }
    return 0;
}

TEST(StartupWarmUp, AProgramGivingUpBeforeQtIsNotHeldUpTheMeasurementsServeTheWindowThread) {
    vktest::TempWorld world;
    vktest::ChildProcess child("give_up_before_qt");
    int code = -1;
    EXPECT_TRUE(child.WaitFor(20000, &code)) << "held up by the start-up thread";
    EXPECT_EQ(code, 0);

    vkstore::TokenWorld tokens;
    tokens.AddReader("Reader A");
    vktest::QtApp();
    {
        CStartupWarmUp warmUp;
        warmUp.QtStarted();
        warmUp.WaitForFonts();
    }  // joined: measured, OpenSSL ready, connections handed over
    // Measured on the other thread, as this thread measures it.
    const QFont fixed = DetailBoxFont();
    ASSERT_GT(fixed.pixelSize(), 0);
    EXPECT_LE(QFontMetrics(fixed).height(), kDetailBoxCellHeight);
    QFont larger(fixed);
    larger.setPixelSize(fixed.pixelSize() + 1);
    EXPECT_GT(QFontMetrics(larger).height(), kDetailBoxCellHeight);
    const CDialogFont dialog = CDialogFont::ForFace(L"MS Shell Dlg", 8);  // the pinned units
    EXPECT_EQ(std::pair(dialog.BaseX(), dialog.BaseY()), std::pair(7, 13));
    EXPECT_EQ(tokens.Readers().size(), 1u);
}
