// The help as the program installs it, in a world of its own (its own temporary folder and
// registry), with message boxes recorded instead of shown.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <memory>

#include "gui/help/CHelpInstallation.h"
#include "gui/help/CHelpWindow.h"
#include "gui/help/CHelper.h"
#include "program/app/UiLanguage.h"
#include "support/ScriptedUi.h"
#include "support/TempWorld.h"
#include "support/gui/QtApp.h"

namespace helptest {

inline constexpr const wchar_t* kProductKey = L"Orvel\\Velkora\\vkCert";

class HelpFixture : public ::testing::Test {
protected:
    HelpFixture() {
        vktest::QtApp();
        SetUiLanguage(LANG_NEUTRAL_DEFAULT_ID);
        Install();
    }
    ~HelpFixture() override {
        m_help.reset();
        SetUiLanguage(LANG_NEUTRAL_DEFAULT_ID);
    }

    // A start of the program: the help installed afresh; the one before is taken down first.
    void Install() {
        m_help.reset();
        m_help = std::make_unique<SHTMLHelper::CHelpInstallation>(kProductKey);
    }
    // The program's exit: the help's state stored and its files removed.
    void Uninstall() { m_help.reset(); }

    SHTMLHelper::CHelper& Help() { return m_help->Helper(); }
    SHTMLHelper::CHelpWindow* Window() { return Help().Window(); }

    vktest::TempWorld world;
    vktest::ScriptedUi ui;
    std::unique_ptr<SHTMLHelper::CHelpInstallation> m_help;
};

}  // namespace helptest
