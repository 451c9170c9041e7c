// The container view: the header made from the template's "%s   Container"
// in the interface language, empty until a container is shown, and the
// header, separator and area following the pane when it grows.
#include "ViewTestSupport.h"
#include "support/TempWorld.h"
#include "gui/ui/views/CContainerView.h"

namespace {

using viewtest::MakeView;
using viewtest::UseLanguage;

TEST(ContainerView, HeaderIsTheNameThreeSpacesAndContainerAndFollowsTheWidth) {
    vktest::TempWorld world;
    viewtest::Pane pane;
    UseLanguage(1024);
    auto* view = MakeView<CContainerView>(ERightViewKind::Container, pane.host);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->AsContainer(), view);
    EXPECT_EQ(view->HeaderText(), "");
    view->AsContainer()->FillContainerName(L"C1");
    EXPECT_EQ(view->HeaderText(), "C1   Container");
    // Names are shown as given, format marks and all.
    view->AsContainer()->FillContainerName(L"100%s & more");
    EXPECT_EQ(view->HeaderText(), "100%s & more   Container");

    QWidget* header = view->Control(1036);
    QWidget* separator = view->Control(1045);
    QWidget* area = view->Control(1044);
    QWidget* picture = view->Control(1042);
    ASSERT_TRUE(header && separator && area && picture);
    const QRect headerBefore = header->geometry();
    const QRect areaBefore = area->geometry();
    const QRect pictureBefore = picture->geometry();
    const int separatorWidth = separator->width();
    view->resize(view->width() + 100, view->height() + 60);
    QApplication::processEvents();
    EXPECT_EQ(header->size(), headerBefore.size() + QSize(100, 0));
    EXPECT_EQ(separator->width(), separatorWidth + 100);
    EXPECT_EQ(area->size(), areaBefore.size() + QSize(100, 60));
    EXPECT_EQ(picture->geometry(), pictureBefore);
}

TEST(ContainerView, RussianTemplatePutsTheWordFirst) {
    vktest::TempWorld world;
    viewtest::Pane pane;
    UseLanguage(1049);
    auto* view = MakeView<CContainerView>(ERightViewKind::Container, pane.host);
    ASSERT_NE(view, nullptr);
    view->AsContainer()->FillContainerName(L"Ivanov-2026");
    EXPECT_EQ(view->HeaderText(), QString::fromUtf8("Контейнер   Ivanov-2026"));
}

}  // namespace
