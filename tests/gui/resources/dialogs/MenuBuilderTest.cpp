// Qt menus from the menu model: actions with their ids and states, the command of a triggered
// action, refilling without leftovers. Parsing is tests/program/app's, the menus tests/res's.
#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <algorithm>

#include "LangTestSupport.h"
#include "gui/resources/LangMenuBuilder.h"
#include "program/app/LangResource.h"
#include "program/app/UiLanguage.h"
#include "support/TempWorld.h"
#include "support/gui/QtApp.h"

namespace {

class MenuBuilderTest : public testing::Test {
protected:
    void SetUp() override {
        vktest::QtApp();
        InitUiLanguage();
        SetUiLanguage(1024);
    }
    vktest::TempWorld world;
    langtest::UseTestModule module;
};

}  // namespace

TEST_F(MenuBuilderTest, MenuBarFromTheMainMenuRefilledWithoutLeftovers) {
    auto model = LoadLangMenu(128);
    ASSERT_TRUE(model);
    QMenuBar bar;
    CLangMenuBuilder::Fill(&bar, *model);
    const auto top = bar.actions();
    ASSERT_EQ(top.size(), 3);
    ASSERT_NE(top[0]->menu(), nullptr);
    EXPECT_EQ(top[0]->text(), "&File");
    EXPECT_EQ(top[2]->menu(), nullptr);
    EXPECT_EQ(CLangMenuBuilder::CommandId(top[2]), 57670u);

    QMenu* file = top[0]->menu();
    ASSERT_EQ(file->actions().size(), 3);
    EXPECT_EQ(std::ranges::count_if(file->actions(), &QAction::isSeparator), 1);
    QAction* exportAction = CLangMenuBuilder::FindAction(&bar, 190);
    ASSERT_NE(exportAction, nullptr);
    EXPECT_EQ(exportAction->text(), "&Export...\tCtrl+E");
    EXPECT_EQ(exportAction->objectName(), "id_190");
    EXPECT_TRUE(exportAction->isEnabled());
    EXPECT_FALSE(exportAction->isCheckable());

    QAction* toolbar = CLangMenuBuilder::FindAction(&bar, 59392);
    ASSERT_NE(toolbar, nullptr);
    EXPECT_TRUE(toolbar->isCheckable());
    EXPECT_TRUE(toolbar->isChecked());
    EXPECT_FALSE(CLangMenuBuilder::FindAction(&bar, 139)->isEnabled());
    // Two levels down, inactive.
    QAction* deep = CLangMenuBuilder::FindAction(&bar, 400);
    ASSERT_NE(deep, nullptr);
    EXPECT_FALSE(deep->isEnabled());
    EXPECT_EQ(CLangMenuBuilder::FindAction(&bar, 0), nullptr);
    EXPECT_EQ(CLangMenuBuilder::FindAction(&bar, 12345), nullptr);

    // A menu of its own tells the command of a triggered action.
    auto menu = CLangMenuBuilder::Build(*model->SubMenu(0));
    UINT triggered = 0;
    QObject::connect(menu.get(), &QMenu::triggered,
                     [&](QAction* a) { triggered = CLangMenuBuilder::CommandId(a); });
    CLangMenuBuilder::FindAction(menu.get(), 57665)->trigger();
    EXPECT_EQ(triggered, 57665u);

    // An edited model refills the bar without leftovers.
    const auto menusBefore = bar.findChildren<QMenu*>().size();
    model->RemoveCommand(190);
    model->EnableCommand(139, true);
    CLangMenuBuilder::Fill(&bar, *model);
    EXPECT_EQ(bar.actions().size(), 3);
    EXPECT_EQ(bar.findChildren<QMenu*>().size(), menusBefore);
    EXPECT_EQ(CLangMenuBuilder::FindAction(&bar, 190), nullptr);
    EXPECT_TRUE(CLangMenuBuilder::FindAction(&bar, 139)->isEnabled());
    EXPECT_EQ(bar.actions()[0]->menu()->actions().size(), 2);
}
