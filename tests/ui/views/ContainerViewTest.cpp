// The container view: the header made from the template's "%s   Container"
// in the interface language, empty until a container is shown, and the
// controls that follow the pane when it grows.
#include <QLabel>

#include "ViewTestSupport.h"
#include "app/LangDialogBuilder.h"
#include "support/TempWorld.h"
#include "ui/views/CContainerView.h"

namespace {

using viewtest::MakeView;
using viewtest::Pane;
using viewtest::UseLanguage;

class ContainerView : public testing::Test {
protected:
    vktest::TempWorld world;
    Pane pane;
};

TEST_F(ContainerView, HeaderIsTheNameFollowedByThreeSpacesAndContainer) {
    UseLanguage(1024);
    auto* view = MakeView<CContainerView>(ERightViewKind::Container, pane.host);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->Kind(), ERightViewKind::Container);
    EXPECT_EQ(view->AsContainer(), view);
    EXPECT_EQ(view->AsTokenInfo(), nullptr);
    // The template's text became the header template and the control was cleared.
    EXPECT_EQ(view->HeaderTemplate(), L"%s   Container");
    EXPECT_EQ(view->HeaderText(), "");
    view->AsContainer()->FillContainerName(L"C1");
    EXPECT_EQ(view->HeaderText(), "C1   Container");
    // Names are shown as given, also with format marks of their own.
    view->AsContainer()->FillContainerName(L"100%s & more");
    EXPECT_EQ(view->HeaderText(), "100%s & more   Container");
}

TEST_F(ContainerView, RussianTemplatePutsTheWordFirst) {
    UseLanguage(1049);
    auto* view = MakeView<CContainerView>(ERightViewKind::Container, pane.host);
    ASSERT_NE(view, nullptr);
    view->AsContainer()->FillContainerName(L"Ivanov-2026");
    EXPECT_EQ(view->HeaderText(), QString::fromUtf8("Контейнер   Ivanov-2026"));
}

TEST_F(ContainerView, HeaderSeparatorAndAreaFollowTheWidth) {
    UseLanguage(1024);
    auto* view = MakeView<CContainerView>(ERightViewKind::Container, pane.host);
    ASSERT_NE(view, nullptr);
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
    EXPECT_EQ(header->width(), headerBefore.width() + 100);
    EXPECT_EQ(header->height(), headerBefore.height());
    EXPECT_EQ(separator->width(), separatorWidth + 100);
    EXPECT_EQ(area->width(), areaBefore.width() + 100);
    EXPECT_EQ(area->height(), areaBefore.height() + 60);
    EXPECT_EQ(picture->geometry(), pictureBefore);
}

}  // namespace
