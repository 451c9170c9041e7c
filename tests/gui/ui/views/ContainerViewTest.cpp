// The container view: the header made from the template's "%s   Container" in the interface
// language, empty until a container is shown, the name shown as given. The template's text is
// the view text tests'; how its controls follow the pane, the widgets tests'.
#include "ViewTestSupport.h"
#include "gui/ui/views/CContainerView.h"
#include "support/TempWorld.h"

namespace {

TEST(ContainerView, HeaderPutsTheNameIntoTheTemplateOfTheInterfaceLanguage) {
    vktest::TempWorld world;
    viewtest::Pane pane;
    const struct {
        LANGID lang;
        const wchar_t* name;
        const char* header;
    } cases[] = {{1024, L"C1", "C1   Container"},
                 {1024, L"100%s & more", "100%s & more   Container"},
                 {1049, L"Ivanov-2026", "Контейнер   Ivanov-2026"}};
    for (const auto& c : cases) {
        viewtest::UseLanguage(c.lang);
        auto* view = viewtest::MakeView<CContainerView>(ERightViewKind::Container, pane.host);
        EXPECT_EQ(view->AsContainer(), view);
        EXPECT_EQ(view->HeaderText(), "");
        view->AsContainer()->FillContainerName(c.name);
        EXPECT_EQ(view->HeaderText(), QString::fromUtf8(c.header));
        delete view;
    }
}

}  // namespace
