// The file dialogs' labels from the texts template in the interface language: each label from
// its control, in English and in Russian. The template's texts in both languages are tests/res's.
#include <gtest/gtest.h>

#include <QFileDialog>
#include <QRegularExpression>

#include "gui/resources/LangFileDialog.h"
#include "program/app/UiLanguage.h"
#include "support/TempWorld.h"
#include "support/gui/QtApp.h"

TEST(LangFileDialog, LabelsFollowTheInterfaceLanguage) {
    vktest::QtApp();
    vktest::TempWorld world;
    InitUiLanguage();
    SetUiLanguage(1024);
    QFileDialog en;
    ApplyLangFileDialogLabels(&en);
    EXPECT_TRUE(en.testOption(QFileDialog::DontUseNativeDialog));
    EXPECT_EQ(en.labelText(QFileDialog::FileType), "Files of type:");
    EXPECT_EQ(en.labelText(QFileDialog::LookIn), "Look in:");
    EXPECT_EQ(en.labelText(QFileDialog::FileName), "File name:");
    EXPECT_EQ(en.labelText(QFileDialog::Accept), "Ok");
    EXPECT_EQ(en.labelText(QFileDialog::Reject), "Cancel");

    SetUiLanguage(1049);
    QFileDialog ru;
    ApplyLangFileDialogLabels(&ru);
    const QRegularExpression cyrillic("^[\\x{0400}-\\x{04FF} :&]+$");
    for (auto label : {QFileDialog::FileType, QFileDialog::LookIn, QFileDialog::FileName,
                       QFileDialog::Accept, QFileDialog::Reject}) {
        EXPECT_TRUE(cyrillic.match(ru.labelText(label)).hasMatch())
            << ru.labelText(label).toStdString();
    }
}
