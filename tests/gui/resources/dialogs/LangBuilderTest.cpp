// Dialogs and menus from templates under Qt: the pinned font, the widget of each control, every
// program template in both languages, buttons, re-texting on a change of language; menu actions
// with their ids and states, refilled without leftovers. Texts are tests/res's.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeView>
#include <algorithm>
#include <tuple>

#include "LangTestSupport.h"
#include "gui/resources/CDialogLang.h"
#include "gui/resources/DialogFont.h"
#include "gui/resources/LangDialogBuilder.h"
#include "gui/resources/LangMenuBuilder.h"
#include "gui/resources/LanguageEvents.h"
#include "program/app/LangResource.h"
#include "program/app/UiLanguage.h"
#include "support/TempWorld.h"
#include "support/gui/QtApp.h"

namespace {

// DejaVu Sans at 11 pixels (8 points at 96 dpi): the units every dialog is laid out with.
constexpr int kBaseX = 7;
constexpr int kBaseY = 13;

class LangBuilderTest : public testing::Test {
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

TEST(DialogFont, ShellFontIsPinnedToDejaVuSansAndMapsDialogUnits) {
    vktest::QtApp();
    for (const wchar_t* face : {L"MS Shell Dlg", L"MS Sans Serif", L"Tahoma"}) {
        const CDialogFont font = CDialogFont::ForFace(face, 8);
        EXPECT_EQ(QFontInfo(font.Font()).family(), "DejaVu Sans");
        EXPECT_EQ(std::tuple(font.Font().pixelSize(), font.BaseX(), font.BaseY()),
                  std::tuple(11, kBaseX, kBaseY));
    }
    EXPECT_EQ(QFontInfo(CDialogFont::ForFace(L"Courier New", 10).Font()).family(),
              "DejaVu Sans Mono");
    // Bigger fonts give bigger units; bold is bold.
    const CDialogFont big = CDialogFont::ForFace(L"MS Shell Dlg", 12, 700);
    EXPECT_GT(big.BaseX(), kBaseX);
    EXPECT_GT(big.BaseY(), kBaseY);
    EXPECT_TRUE(big.Font().bold());
    // MulDiv rounding, half away from zero: 5 * 7 / 4 = 8.75, -4 * 13 / 8 = -6.5. Sizes and
    // places are the dialog's below.
    const CDialogFont shell = CDialogFont::ForFace(L"MS Shell Dlg", 8);
    EXPECT_EQ(shell.MapX(5), 9);
    EXPECT_EQ(shell.MapY(-4), -7);
}

TEST_F(LangBuilderTest, ControlsBecomeWidgetsWithTheirIdsPlacesAndStatesButtonsAct) {
    CDialogLang dlg(230, nullptr);
    ASSERT_TRUE(dlg.IsBuilt());
    EXPECT_EQ(dlg.size(), QSize(525, 276));
    EXPECT_EQ(dlg.minimumSize(), dlg.maximumSize());  // no sizing border: fixed
    EXPECT_EQ(dlg.windowTitle(), "Import from PFX file");
    const std::pair<UINT, const char*> widgets[] = {
        {1, "QPushButton"},  {1077, "QPushButton"},  {1002, "QLineEdit"},    {1001, "QLabel"},
        {1003, "QTreeView"}, {1007, "QTreeView"},    {1008, "QProgressBar"}, {1006, "QComboBox"},
        {1004, "QCheckBox"}, {1005, "QRadioButton"}, {1009, "QLabel"},       {1010, "QFrame"}};
    for (const auto& [id, type] : widgets) {
        ASSERT_NE(dlg.Control(id), nullptr) << id;
        EXPECT_TRUE(dlg.Control(id)->inherits(type)) << id << " is no " << type;
    }

    auto* back = dlg.ControlAs<QPushButton>(1077);
    EXPECT_EQ(back->text(), "< Back");
    // 130, 148, 50, 14 dialog units, rounded half up.
    EXPECT_EQ(back->geometry(), QRect(228, 241, 88, 23));
    EXPECT_EQ(back->objectName(), "id_1077");
    EXPECT_EQ(CLangDialogBuilder::ControlId(back), 1077u);
    EXPECT_TRUE(dlg.ControlAs<QPushButton>(1)->isDefault());
    // The label's mnemonic gives the focus to the edit after it.
    EXPECT_EQ(dlg.ControlAs<QLineEdit>(1002)->echoMode(), QLineEdit::Password);
    EXPECT_EQ(dlg.ControlAs<QLabel>(1001)->buddy(), dlg.Control(1002));
    EXPECT_EQ(dlg.ControlAs<QLabel>(1001)->text(), "Enter the &password of the file:");
    EXPECT_FALSE(dlg.ControlAs<QTreeView>(1003)->isHeaderHidden());  // list view
    EXPECT_TRUE(dlg.ControlAs<QTreeView>(1007)->isHeaderHidden());   // tree view
    EXPECT_FALSE(dlg.ControlAs<QComboBox>(1006)->isEditable());
    EXPECT_LT(dlg.Control(1006)->height(), 60 * kBaseY / 8);  // the closed box, not the open list
    EXPECT_EQ(dlg.ControlAs<QCheckBox>(1004)->text(), "&Mark exportable");
    EXPECT_FALSE(dlg.ControlAs<QLabel>(1009)->pixmap().isNull());
    EXPECT_EQ(dlg.ControlAs<QFrame>(1010)->frameShape(), QFrame::HLine);
    EXPECT_EQ(dlg.Control(4242), nullptr);

    // OK and Cancel end the dialog, other buttons report their id.
    back->setEnabled(true);
    int reported = 0;
    QObject::connect(&dlg, &CDialogLang::commandTriggered, [&](int id) { reported = id; });
    back->click();
    EXPECT_EQ(reported, 1077);
    dlg.open();
    dlg.ControlAs<QPushButton>(1)->click();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    dlg.open();
    dlg.ControlAs<QPushButton>(2)->click();
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
}

TEST_F(LangBuilderTest, LanguageChangeReTextsOpenDialogsNewOnesAreInItMissingOnesAreNot) {
    CLanguageEventDelivery delivery;
    CDialogLang dlg(230, nullptr);
    dlg.ControlAs<QLineEdit>(1002)->setText("secret");
    // A hidden top-level widget hears of the change too.
    QWidget other;
    struct Counter : QObject {
        int heard = 0;
        bool eventFilter(QObject*, QEvent* e) override {
            heard += e->type() == CLanguageChangedEvent::kType;
            return false;
        }
    } counter;
    other.installEventFilter(&counter);

    SetUiLanguage(1049);
    EXPECT_EQ(dlg.windowTitle(), "Импорт из файла PFX");
    EXPECT_EQ(dlg.ControlAs<QPushButton>(1077)->text(), "< Назад");
    EXPECT_EQ(dlg.ControlAs<QLabel>(1001)->text(), "Введите &пароль файла:");
    EXPECT_EQ(dlg.ControlAs<QLineEdit>(1002)->text(), "secret");
    EXPECT_EQ(counter.heard, 1);
    SetUiLanguage(1049);  // no change, no event
    EXPECT_EQ(counter.heard, 1);
    // Built in the current language.
    EXPECT_EQ(CDialogLang(230, nullptr).ControlAs<QPushButton>(2)->text(), "Отмена");
    // A template that exists only in English still builds, in English.
    CDialogLang plain(101, nullptr);
    ASSERT_TRUE(plain.IsBuilt());
    EXPECT_EQ(plain.ControlAs<QLabel>(1001)->text(), "Plain");
    // The classic template is a child form: resizable, its size from its own font.
    EXPECT_EQ(plain.size(), CDialogFont::ForFace(L"MS Sans Serif", 8).MapSize(120, 40));
    ToggleUiLanguage();
    EXPECT_EQ(dlg.ControlAs<QPushButton>(1)->text(), "Next >");
    EXPECT_EQ(counter.heard, 2);

    // Missing templates build nothing.
    CDialogLang missing(4000, nullptr);
    EXPECT_FALSE(missing.IsBuilt());
    EXPECT_TRUE(missing.findChildren<QWidget*>().isEmpty());
    EXPECT_EQ(CreateLangDialog(4000, nullptr), nullptr);
    auto modeless = CreateLangDialog(230, nullptr);
    ASSERT_NE(modeless, nullptr);
    EXPECT_FALSE(modeless->isModal());
    EXPECT_TRUE(modeless->isHidden());
    EXPECT_NE(CLangDialogBuilder::FindControl(modeless.get(), 1077), nullptr);
}

TEST(LangDialogBuilder, EveryProgramTemplateBuildsInBothLanguagesMnemonicsStrippedAlone) {
    vktest::QtApp();
    vktest::TempWorld world;
    InitUiLanguage();
    int built = 0;
    for (const auto& e : GetResourceModule()->Entries()) {
        if (!(e.type == CResName(RT_DIALOG)) || !e.name.IsId()) {
            continue;
        }
        SetUiLanguage(e.language);
        SCOPED_TRACE(testing::Message() << "dialog " << e.name.Id() << " language " << e.language);
        const auto tmpl = LoadLangDialogTemplate(e.name.Id());
        ASSERT_TRUE(tmpl);
        CDialogLang dlg(e.name.Id(), nullptr);
        ASSERT_TRUE(dlg.IsBuilt());
        EXPECT_EQ(dlg.size(), CDialogFont::ForTemplate(*tmpl).MapSize(tmpl->cx, tmpl->cy));
        for (const auto& item : tmpl->items) {
            if (item.id == 0xFFFF || item.id == 0xFFFFFFFF) {
                continue;  // static texts without an id
            }
            QWidget* w = dlg.Control(item.id);
            ASSERT_NE(w, nullptr) << "control " << item.id;
            EXPECT_EQ(w->isHidden(), !(item.style & WS_VISIBLE)) << "control " << item.id;
            EXPECT_EQ(w->isEnabled(), !(item.style & WS_DISABLED)) << "control " << item.id;
        }
        ++built;
    }
    EXPECT_GT(built, 2);

    // Mnemonics are stripped where nothing takes them.
    EXPECT_EQ(CLangDialogBuilder::StripMnemonic("&File"), "File");
    EXPECT_EQ(CLangDialogBuilder::StripMnemonic("Save && exit"), "Save & exit");
    EXPECT_EQ(CLangDialogBuilder::StripMnemonic("&&&x&"), "&x");
    EXPECT_EQ(CLangDialogBuilder::ObjectName(0xFFFFFFFF), "id_-1");
}

TEST_F(LangBuilderTest, MenuBarFromTheMainMenuRefilledWithoutLeftovers) {
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
