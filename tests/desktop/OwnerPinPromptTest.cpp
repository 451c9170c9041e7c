// The owner PIN prompt driven as a user would: a right PIN, wrong PINs down to the lock, an empty
// reader. The login through the main window is tests/gui/ui/frame's.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <functional>

#include "desktop/vkGrTools.h"
#include "platform/token/TokenStore.h"
#include "platform/token/TokenWorld.h"
#include "program/token/TokenLoginCalls.h"
#include "support/TempWorld.h"
#include "support/gui/QtApp.h"

namespace {

// Runs the prompt; each step acts on the open dialog in turn.
bool Prompt(const wchar_t* reader, const std::vector<std::function<void(QDialog&)>>& steps,
            VKLib_Protected_Buffer& pin) {
    std::size_t next = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog && next < steps.size()) {
            steps[next++](*dialog);
        }
    });
    timer.start(10);
    VKLib_String name(reader);
    return vkGr_Get_Owner_PIN(nullptr, 0, 0x23, 0, &pin, 0, &name, 0);
}

QPushButton* Ok(QDialog& d) {
    return d.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
}

std::function<void(QDialog&)> Type(const char* pin) {
    return [pin](QDialog& d) {
        d.findChild<QLineEdit*>("pin")->setText(pin);
        Ok(d)->click();
    };
}

}  // namespace

TEST(OwnerPinPrompt, ARightPinIsHandedBackWrongOnesDownToTheLockAnEmptyReaderOffersNoEntry) {
    vktest::TempWorld temp;
    vktest::QtApp();
    vkGr_Set_PIN_Login(&SVKCERT::LoginAtProvider);
    vkstore::TokenWorld world;
    world.AddReader("Reader 1");
    world.AddReader("Empty reader");
    vkstore::TokenRecordData record;
    record.label = "My token";
    world.CreateToken(record, "2468", {.log2N = 10, .r = 1}, 3);
    world.Insert("Reader 1", "My token");

    VKLib_Protected_Buffer pin;
    QString shown;
    const auto look = [&](QDialog& d) {
        for (auto* label : d.findChildren<QLabel*>()) {
            shown += label->text() + "|";
        }
        EXPECT_EQ(d.findChild<QLineEdit*>("pin")->echoMode(), QLineEdit::Password);
    };
    ASSERT_TRUE(Prompt(L"Reader 1", {look, Type("2468")}, pin));
    EXPECT_TRUE(shown.contains("Reader 1"));
    EXPECT_TRUE(shown.contains("My token"));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(pin.Get_Ptr()), pin.Get_Size()), "2468");

    VKLib_Protected_Buffer wrong;
    QString status;
    bool okEnabled = true;
    EXPECT_FALSE(
        Prompt(L"Reader 1",
               {Type("1111"), [&](QDialog& d) { status = d.findChild<QLabel*>("status")->text(); },
                Type("2"), Type("3"),
                [&](QDialog& d) {
                    okEnabled = Ok(d)->isEnabled();
                    d.reject();
                }},
               wrong));
    EXPECT_TRUE(status.contains("2")) << status.toStdString();
    EXPECT_FALSE(okEnabled);
    EXPECT_EQ(wrong.Get_Size(), 0u);
    EXPECT_EQ(
        vkstore::TokenStore(world.TokenFile(world.FindToken("My token")->uuid)).Pin().retriesLeft,
        0u);

    okEnabled = true;
    EXPECT_FALSE(Prompt(L"Empty reader", {[&](QDialog& d) {
                            okEnabled = Ok(d)->isEnabled();
                            d.reject();
                        }},
                        wrong));
    EXPECT_FALSE(okEnabled);
}
