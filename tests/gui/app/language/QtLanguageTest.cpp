// Qt's own texts and the owner PIN prompt follow the interface language, not the system locale
// (Russian here): the buttons of the program's message boxes, the prompt's texts and its verdict
// on a wrong PIN, switched to Russian and back to English.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <functional>

#include "desktop/vkGrTools.h"
#include "gui/app/QtLanguage.h"
#include "gui/ui/frame/CQtUserInterface.h"
#include "platform/token/TokenWorld.h"
#include "program/app/UiLanguage.h"
#include "support/EnvOverride.h"
#include "support/TempWorld.h"
#include "support/gui/QtApp.h"

namespace {

// What the user sees of the prompt and the message box in one language.
struct SSeen {
    QString title;
    QString emptyReader;
    QString wrongPin;
    QStringList buttons;
};

// Runs `show` while a timer acts on the modal window it opens.
void WhileModal(const std::function<void()>& show, const std::function<void(QWidget&)>& act) {
    bool acted = false;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal != nullptr && !acted) {
            acted = true;
            act(*modal);
        }
    });
    timer.start(10);
    show();
    EXPECT_TRUE(acted);
}

bool Prompt(const wchar_t* reader, const std::function<void(QWidget&)>& act) {
    VKLib_Protected_Buffer pin;
    VKLib_String name(reader);
    bool result = true;
    WhileModal([&] { result = vkGr_Get_Owner_PIN(nullptr, 0, 0x23, 0, &pin, 0, &name, 0); }, act);
    return result;
}

QString Status(QWidget& dialog) {
    return dialog.findChild<QLabel*>("status")->text();
}

SSeen Look(CQtUserInterface& ui) {
    SSeen seen;
    EXPECT_FALSE(Prompt(L"Empty reader", [&](QWidget& d) {
        seen.title = d.windowTitle();
        seen.emptyReader = Status(d);
        static_cast<QDialog&>(d).reject();
    }));
    EXPECT_FALSE(Prompt(L"Reader 1", [&](QWidget& d) {
        d.findChild<QLineEdit*>("pin")->setText("1111");
        d.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
        seen.wrongPin = Status(d);
        static_cast<QDialog&>(d).reject();
    }));
    WhileModal([&] { ui.MessageBox(L"Delete?", L"vkCert", MB_YESNO); },
               [&](QWidget& box) {
                   for (QAbstractButton* button : box.findChildren<QAbstractButton*>()) {
                       seen.buttons << button->text().remove(QLatin1Char('&'));
                   }
                   seen.buttons.sort();
                   static_cast<QMessageBox&>(box).reject();
               });
    return seen;
}

}  // namespace

TEST(QtLanguage, MessageBoxesAndThePinPromptFollowTheInterfaceLanguageNotTheSystem) {
    vktest::EnvOverride env;
    env.Set("LC_ALL", "ru_RU.UTF-8");
    env.Set("LANG", "ru_RU.UTF-8");
    vktest::TempWorld temp;
    vktest::QtApp();
    vkstore::TokenWorld world;
    world.AddReader("Reader 1");
    world.AddReader("Empty reader");
    vkstore::TokenRecordData record;
    record.label = "My token";
    world.CreateToken(record, "2468", 1000, 3);
    world.Insert("Reader 1", "My token");
    ASSERT_TRUE(QFileInfo::exists(CQtLanguage::TranslationFile(LANG_RUSSIAN_ID)))
        << "Qt's translations (qt6-translations-l10n) are missing";
    EXPECT_TRUE(CQtLanguage::TranslationFile(LANG_NEUTRAL_DEFAULT_ID).isEmpty());

    SetUiLanguage(LANG_NEUTRAL_DEFAULT_ID);
    CQtLanguage language;
    CQtUserInterface ui;
    const SSeen english{"Token PIN",
                        "There is no token in this reader.",
                        "Wrong PIN. Tries left: 2.",
                        {"No", "Yes"}};
    const SSeen russian{
        QString::fromUtf8("PIN-\xD0\xBA\xD0\xBE\xD0\xB4 \xD1\x82\xD0\xBE\xD0\xBA\xD0\xB5\xD0\xBD"
                          "\xD0\xB0"),
        QString::fromUtf8("\xD0\x92 \xD1\x81\xD1\x87\xD0\xB8\xD1\x82\xD1\x8B\xD0\xB2\xD0\xB0"
                          "\xD1\x82\xD0\xB5\xD0\xBB\xD0\xB5 \xD0\xBD\xD0\xB5\xD1\x82 \xD1\x82"
                          "\xD0\xBE\xD0\xBA\xD0\xB5\xD0\xBD\xD0\xB0."),
        QString::fromUtf8("\xD0\x9D\xD0\xB5\xD0\xB2\xD0\xB5\xD1\x80\xD0\xBD\xD1\x8B\xD0\xB9 "
                          "PIN-\xD0\xBA\xD0\xBE\xD0\xB4. \xD0\x9E\xD1\x81\xD1\x82\xD0\xB0\xD0"
                          "\xBB\xD0\xBE\xD1\x81\xD1\x8C \xD0\xBF\xD0\xBE\xD0\xBF\xD1\x8B\xD1"
                          "\x82\xD0\xBE\xD0\xBA: 1."),
        {QString::fromUtf8("\xD0\x94\xD0\xB0"), QString::fromUtf8("\xD0\x9D\xD0\xB5\xD1\x82")}};
    const auto expect = [](const SSeen& seen, const SSeen& want) {
        EXPECT_EQ(seen.title.toStdString(), want.title.toStdString());
        EXPECT_EQ(seen.emptyReader.toStdString(), want.emptyReader.toStdString());
        EXPECT_EQ(seen.wrongPin.toStdString(), want.wrongPin.toStdString());
        EXPECT_EQ(seen.buttons.join('|').toStdString(), want.buttons.join('|').toStdString());
    };

    {
        SCOPED_TRACE("English under a Russian system");
        expect(Look(ui), english);
    }
    {
        SCOPED_TRACE("switched to Russian");
        SetUiLanguage(LANG_RUSSIAN_ID);
        expect(Look(ui), russian);
    }
    {
        SCOPED_TRACE("and back");
        SetUiLanguage(LANG_NEUTRAL_DEFAULT_ID);
        SSeen back = english;
        back.wrongPin = "The PIN is locked.";
        expect(Look(ui), back);
    }
}
