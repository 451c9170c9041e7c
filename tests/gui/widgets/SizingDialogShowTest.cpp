// A resizable form view sized before it is first shown, as a splitter restored from the settings
// sizes its panes: the first update happens on the show, and the form and its controls are
// fitted to that size there, with no resize to follow.
#include <gtest/gtest.h>

#include <QScrollBar>
#include <QSplitter>

#include "WidgetTestSupport.h"
#include "gui/widgets/CALRResizeableFormView.h"
#include "res/resource.h"
#include "support/TempWorld.h"

namespace {

// The container view's form with its area growing both ways, registered on the first update.
class AreaView : public CALRResizeableFormView {
public:
    explicit AreaView(QWidget* parent) : CALRResizeableFormView(IDD_CONTAINER_VIEW, 0, parent) {}
    QRect designedArea;

protected:
    void OnInitialUpdate() override {
        CALRResizeableFormView::OnInitialUpdate();
        designedArea = Control(IDC_CONTAINER_AREA)->geometry();
        AddSizedControl(Control(IDC_CONTAINER_AREA), 1, 1);
    }
};

TEST(ResizeableFormViewShow, AViewSizedWhileHiddenFitsItsFormAndControlsWhenFirstShown) {
    vktest::TempWorld world;
    vktest::QtApp();
    QSplitter splitter;
    new QWidget(&splitter);
    auto* view = new AreaView(&splitter);
    splitter.resize(1200, 900);
    splitter.setSizes({200, 1000});
    splitter.show();
    QApplication::processEvents();

    ASSERT_TRUE(view->IsInitialUpdateDone());
    const QSize growth = view->viewport()->size() - view->InitialSize();
    ASSERT_GT(growth.width(), 0);
    ASSERT_GT(growth.height(), 0);
    EXPECT_EQ(view->Growth(), growth);
    EXPECT_EQ(view->Form()->size(), view->viewport()->size());
    EXPECT_EQ(view->Control(IDC_CONTAINER_AREA)->geometry(),
              view->designedArea.adjusted(0, 0, growth.width(), growth.height()));
    EXPECT_EQ(view->horizontalScrollBar()->maximum(), 0);
    EXPECT_EQ(view->verticalScrollBar()->maximum(), 0);
}

}  // namespace
