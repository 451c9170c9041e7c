// Resizable form views: anchors and placement, a form of the container view template at its natural
// size, growth, scrolling below that size, refusals, the first update, a missing template; a view
// sized while hidden (as a restored splitter sizes its panes) fitted, controls too, on its show.
#include <gtest/gtest.h>

#include <QLabel>
#include <QScrollBar>
#include <QSplitter>
#include <array>

#include "WidgetTestSupport.h"
#include "gui/widgets/CALRResizeableFormView.h"
#include "gui/widgets/CEdit_Ex.h"
#include "res/resource.h"
#include "support/TempWorld.h"

namespace {

using widgettest::ShowHost;

// The container view template is 320 by 200 dialog units; the pinned dialog
// font has base units 7 across and 13 down.
const QSize kContainerViewPixels(320 * 7 / 4, 200 * 13 / 8);

TEST(SizingAnchors, EdgesMoveByTheirShareOfTheGrowth) {
    const CEdgeRect ref{10, 20, 110, 70};
    EXPECT_EQ(CSizingAnchors::FromModes(1, 0).Place(ref, 100, 60), (CEdgeRect{10, 20, 210, 70}));
    EXPECT_EQ(CSizingAnchors::FromModes(2, 0).Place(ref, 100, 60), (CEdgeRect{110, 20, 210, 70}));
    EXPECT_EQ(CSizingAnchors::FromModes(3, 0).Place(ref, 100, 60), (CEdgeRect{60, 20, 160, 70}));
    EXPECT_EQ(CSizingAnchors::FromModes(0, 1).Place(ref, 100, 60), (CEdgeRect{10, 20, 110, 130}));
    // Truncated: half of 7 is 3.
    EXPECT_EQ(CSizingAnchors::FromModes(3, 3).Place(ref, 7, 7), (CEdgeRect{13, 23, 113, 73}));
    const CSizingAnchors odd = CSizingAnchors::FromPercents(150, -3, 25, 75);
    EXPECT_EQ((std::array<int, 4>{odd.left, odd.right, odd.top, odd.bottom}),
              (std::array{100, 0, 25, 75}));
    EXPECT_EQ(odd.Place(ref, 10, 10), (CEdgeRect{20, 22, 110, 77}));
}

// A form view of a template in a host window, not yet updated or shown.
struct ViewHost {
    vktest::TempWorld world;
    QWidget host;
    CALRResizeableFormView* view;

    explicit ViewHost(UINT templateId = IDD_CONTAINER_VIEW, UINT flags = 0)
        : view(new CALRResizeableFormView(templateId, flags, &host)) {
        host.resize(1200, 900);
    }

    QRect At(DWORD id) const { return view->Control(id)->geometry(); }
};

TEST(ResizeableFormView, IsMeasuredAtItsNaturalSizeRefusesWrongControlsTheOthersFollowTheGrowth) {
    ViewHost h;
    ASSERT_TRUE(h.view->IsBuilt());
    QWidget* label = h.view->Control(IDC_CONTAINER_HEADER);
    EXPECT_NE(qobject_cast<QLabel*>(label), nullptr);
    EXPECT_EQ(h.view->InitialSize().width(), -1);
    EXPECT_FALSE(h.view->IsInitialUpdateDone());
    EXPECT_FALSE(h.view->AddSizedControl(label, 1, 0));  // before the initial update

    h.view->setGeometry(0, 0, 700, 400);
    h.view->InitialUpdate();
    EXPECT_TRUE(h.view->IsInitialUpdateDone());
    EXPECT_EQ(h.view->ReferenceSize(), kContainerViewPixels);
    EXPECT_EQ(h.view->InitialSize(), kContainerViewPixels);
    EXPECT_FALSE(h.view->AddSizedControl(nullptr, 1, 1));
    EXPECT_FALSE(h.view->AddSizedControl(label, 0, 0));
    QWidget stranger;
    EXPECT_FALSE(h.view->AddSizedControl(&stranger, 1, 1));
    EXPECT_FALSE(h.view->AddSizedControl(h.view, 1, 1));
    EXPECT_EQ(h.view->SizedControlCount(), 0);

    const QRect header = h.At(IDC_CONTAINER_HEADER);
    const QRect picture = h.At(IDC_CONTAINER_PICTURE);
    const QRect separator = h.At(IDC_CONTAINER_SEPARATOR);
    const QRect area = h.At(IDC_CONTAINER_AREA);
    ShowHost(h.host, 1200, 900);
    // Registered after the view grew, the controls are placed at once: header across, picture
    // moving with the right edge, separator centred, area both ways.
    h.view->resize(kContainerViewPixels + QSize(100, 60));
    ASSERT_TRUE(h.view->AddSizedControl(label, 1, 0));
    ASSERT_TRUE(h.view->AddSizedControl(h.view->Control(IDC_CONTAINER_PICTURE), 2, 2));
    ASSERT_TRUE(h.view->AddSizedControl(h.view->Control(IDC_CONTAINER_SEPARATOR), 3, 3));
    ASSERT_TRUE(h.view->AddSizedControl(h.view->Control(IDC_CONTAINER_AREA), 1, 1));
    EXPECT_EQ(h.view->SizedControlCount(), 4);
    EXPECT_EQ(h.view->Growth(), QSize(100, 60));
    EXPECT_EQ(h.At(IDC_CONTAINER_HEADER), header.adjusted(0, 0, 100, 0));
    EXPECT_EQ(h.At(IDC_CONTAINER_PICTURE), picture.translated(100, 60));
    EXPECT_EQ(h.At(IDC_CONTAINER_SEPARATOR), separator.translated(50, 30));
    EXPECT_EQ(h.At(IDC_CONTAINER_AREA), area.adjusted(0, 0, 100, 60));
    EXPECT_EQ(h.view->Form()->size(), kContainerViewPixels + QSize(100, 60));

    // Below the natural size the designed layout stays and the view scrolls.
    h.view->resize(kContainerViewPixels - QSize(200, 100));
    EXPECT_EQ(h.view->Growth(), QSize(0, 0));
    EXPECT_EQ(h.At(IDC_CONTAINER_HEADER), header);
    EXPECT_EQ(h.At(IDC_CONTAINER_AREA), area);
    EXPECT_EQ(h.view->Form()->size(), kContainerViewPixels);
    EXPECT_GT(h.view->horizontalScrollBar()->maximum(), 0);
    EXPECT_GT(h.view->verticalScrollBar()->maximum(), 0);
    // Wider but still too low: only the width follows, by what the vertical scroll bar leaves.
    h.view->resize(kContainerViewPixels + QSize(100, -100));
    const int grown = h.view->viewport()->width() - kContainerViewPixels.width();
    EXPECT_GT(grown, 50);
    EXPECT_LT(grown, 100);
    EXPECT_EQ(h.At(IDC_CONTAINER_HEADER), header.adjusted(0, 0, grown, 0));
    EXPECT_EQ(h.At(IDC_CONTAINER_AREA).height(), area.height());
    h.view->resize(kContainerViewPixels);

    // A twin shares its control's rectangle; a control that is gone is skipped.
    auto* twin = new QWidget(h.view->Form());
    EXPECT_TRUE(h.view->AddEqualControl(h.view->Control(IDC_CONTAINER_AREA), twin));
    EXPECT_EQ(twin->geometry(), area);
    EXPECT_FALSE(h.view->AddEqualControl(&stranger, twin));
    EXPECT_FALSE(h.view->AddEqualControl(h.view->Control(IDC_CONTAINER_AREA), &stranger));
    delete h.view->Control(IDC_CONTAINER_PICTURE);
    h.view->resize(kContainerViewPixels + QSize(80, 40));
    EXPECT_EQ(twin->geometry(), area.adjusted(0, 0, 80, 40));
    EXPECT_EQ(h.view->SizedControlCount(), 4);
}

TEST(ResizeableFormView, TheFirstUpdateEnlargesTheViewWithoutATemplateItsSizeIsTheDesign) {
    // Flags, before, after; the left and top edges stop at the parent's edge.
    const std::tuple<UINT, QRect, QRect> cases[] = {
        {3, QRect(50, 30, 200, 100), QRect(10, 10, 280, 140)},
        {1, QRect(50, 30, 200, 100), QRect(10, 30, 280, 100)},
        {2, QRect(50, 30, 200, 100), QRect(50, 10, 200, 140)},
        {0, QRect(50, 30, 200, 100), QRect(50, 30, 200, 100)},
        {3, QRect(10, 5, 200, 100), QRect(0, 0, 250, 125)}};
    for (const auto& [flags, before, after] : cases) {
        ViewHost h(IDD_CONTAINER_VIEW, flags);
        h.view->setGeometry(before);
        h.view->InitialUpdate();
        EXPECT_EQ(h.view->geometry(), after) << "flags " << flags;
        EXPECT_EQ(h.view->WindowSizeAtInit(), before.size());
        h.view->InitialUpdate();  // only once
        EXPECT_EQ(h.view->geometry(), after) << "flags " << flags;
    }
    // Showing a view runs it; one without its template keeps the size it has.
    ViewHost bare(9999);  // no such template
    EXPECT_FALSE(bare.view->IsBuilt());
    auto* box = new QWidget(bare.view->Form());
    box->setGeometry(10, 10, 50, 20);
    bare.view->setGeometry(0, 0, 300, 200);
    ShowHost(bare.host, 1200, 900);
    EXPECT_EQ(bare.view->ReferenceSize(), QSize(0, 0));
    EXPECT_EQ(bare.view->InitialSize(), QSize(300, 200));
    ASSERT_TRUE(bare.view->AddSizedControl(box, 1, 1));
    // Registered at the view's own size, the control stays where it is.
    EXPECT_EQ(box->geometry(), QRect(10, 10, 50, 20));
    bare.view->resize(340, 230);
    EXPECT_EQ(box->geometry(), QRect(10, 10, 90, 50));
}

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
