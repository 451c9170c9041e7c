// The help from the main window: each Help menu command opens the window on its tab at the first
// page (the tool bar's help button on the index), and F1 in the tree and elsewhere in the main
// window opens their topics.
#include <QAction>
#include <QMenuBar>
#include <QStatusBar>

#include "HelpFixture.h"
#include "gui/help/CHelpKeyFilter.h"
#include "gui/resources/LangMenuBuilder.h"
#include "ui/frame/FrameTestWorld.h"

namespace {

using SHTMLHelper::EHelpTab;

class HelpFromFrame : public helptest::HelpFixture {
protected:
    // The Help menu's command as a click on its item runs it.
    void ChooseHelpItem(UINT id) {
        QMenu* help = frame.Frame().TopMenu(3);
        ASSERT_NE(help, nullptr);
        emit help->aboutToShow();
        for (QAction* action : help->actions()) {
            if (CLangMenuBuilder::CommandId(action) == id) {
                ASSERT_TRUE(action->isEnabled());
                action->trigger();
                return;
            }
        }
        FAIL() << "no item " << id;
    }

    frametest::FrameWorld frame;
};

TEST_F(HelpFromFrame, EachHelpMenuCommandOpensItsTabOnTheFirstPage) {
    frame.Start();
    for (const auto& [id, tab] :
         {std::pair{ID_HELP_CONTENTS, EHelpTab::Contents},
          std::pair{ID_HELP_INDEX, EHelpTab::Index}, std::pair{ID_HELP_SEARCH, EHelpTab::Search}}) {
        SCOPED_TRACE(id);
        ChooseHelpItem(id);
        ASSERT_NE(Window(), nullptr);
        EXPECT_TRUE(Window()->isVisible());
        EXPECT_EQ(Window()->CurrentTab(), tab);
        EXPECT_EQ(Window()->CurrentTopic(), "1_vkCert.html");
        Window()->ShowTopic("3_Icons.html");  // the next command goes back to the first page
    }
}

TEST_F(HelpFromFrame, F1InTheTreeAndInTheRestOfTheMainWindowOpensTheirTopics) {
    frame.Start();
    QTest::keyClick(frame.Tree(), Qt::Key_F1);
    ASSERT_NE(Window(), nullptr);
    EXPECT_EQ(Window()->CurrentTopic(), "4_ObjectSelection.html");
    QTest::keyClick(frame.Frame().statusBar(), Qt::Key_F1);
    EXPECT_EQ(Window()->CurrentTopic(), "2_MainWindow.html");
    EXPECT_EQ(SHTMLHelper::CHelpKeyFilter::TopicOf(frame.Frame().menuBar()), "2_MainWindow.html");
}

}  // namespace
