// The file dialogs' labels: each from its control of the texts template, in the interface language.
// The template's texts themselves are tests/res's.
#include <gtest/gtest.h>

#include <QFileDialog>

#include "gui/resources/LangFileDialog.h"
#include "program/app/LangIds.h"
#include "program/app/LangResource.h"
#include "program/app/UiLanguage.h"
#include "res/resource.h"
#include "support/TempWorld.h"
#include "support/gui/QtApp.h"

TEST(LangFileDialog, EachLabelIsItsControlsTextInTheInterfaceLanguage) {
    vktest::QtApp();
    vktest::TempWorld world;
    InitUiLanguage();
    const std::pair<QFileDialog::DialogLabel, UINT> labels[] = {
        {QFileDialog::FileType, IDC_TEXT_FILES_OF_TYPE},
        {QFileDialog::LookIn, IDC_TEXT_LOOK_IN},
        {QFileDialog::FileName, IDC_TEXT_FILE_NAME},
        {QFileDialog::Accept, IDC_TEXT_OK},
        {QFileDialog::Reject, IDC_TEXT_CANCEL}};
    for (const LANGID lang : {LANG_NEUTRAL_DEFAULT_ID, LANG_RUSSIAN_ID}) {
        SetUiLanguage(lang);
        const auto texts = LoadLangDialogTemplate(IDD_FILE_DIALOG_TEXTS);
        ASSERT_TRUE(texts);
        QFileDialog dialog;
        ApplyLangFileDialogLabels(&dialog);
        EXPECT_TRUE(dialog.testOption(QFileDialog::DontUseNativeDialog));
        for (const auto& [label, control] : labels) {
            ASSERT_NE(texts->FindItem(control), nullptr) << control;
            EXPECT_EQ(dialog.labelText(label).toStdWString(), texts->FindItem(control)->Text())
                << lang << "/" << control;
        }
    }
}
