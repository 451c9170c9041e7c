// Qt's own texts and the owner PIN prompt follow the interface language, not the system locale
// (Russian here): the prompt's title and buttons and a message box's, switched to Russian and back.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QFileInfo>
#include <QTimer>
#include <functional>

#include "desktop/vkGrTools.h"
#include "gui/app/QtLanguage.h"
#include "gui/ui/frame/CQtUserInterface.h"
#include "program/app/UiLanguage.h"
#include "support/EnvOverride.h"
#include "support/TempWorld.h"
#include "support/gui/QtApp.h"

namespace {

// The title and button texts of the modal dialog `show` opens, which is then cancelled.
std::string Seen(const std::function<void()>& show) {
    QString seen;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog != nullptr && seen.isEmpty()) {
            seen = dialog->windowTitle();
            for (QAbstractButton* button : dialog->findChildren<QAbstractButton*>()) {
                seen += "|" + button->text().remove('&');
            }
            dialog->reject();
        }
    });
    timer.start(10);
    show();
    return seen.toStdString();
}

}  // namespace

TEST(QtLanguage, MessageBoxesAndThePinPromptFollowTheInterfaceLanguageNotTheSystem) {
    vktest::EnvOverride env;
    env.Set("LC_ALL", "ru_RU.UTF-8");
    env.Set("LANG", "ru_RU.UTF-8");
    vktest::TempWorld temp;
    vktest::QtApp();
    ASSERT_TRUE(QFileInfo::exists(CQtLanguage::TranslationFile(LANG_RUSSIAN_ID)))
        << "Qt's translations (qt6-translations-l10n) are missing";
    SetUiLanguage(LANG_NEUTRAL_DEFAULT_ID);
    CQtLanguage language;
    CQtUserInterface ui;
    const auto look = [&ui] {
        VKLib_Protected_Buffer pin;
        VKLib_String reader(L"Reader 1");
        return Seen([&] { vkGr_Get_Owner_PIN(nullptr, 0, 0x23, 0, &pin, 0, &reader, 0); }) + " " +
               Seen([&] { ui.MessageBox(L"Delete?", L"vkCert", MB_YESNO); });
    };
    for (const LANGID lang : {LANG_NEUTRAL_DEFAULT_ID, LANG_RUSSIAN_ID, LANG_NEUTRAL_DEFAULT_ID}) {
        SetUiLanguage(lang);
        EXPECT_EQ(look(), lang == LANG_RUSSIAN_ID ? "PIN-код токена|OK|Отмена vkCert|Да|Нет"
                                                  : "Token PIN|OK|Cancel vkCert|Yes|No");
    }
}
