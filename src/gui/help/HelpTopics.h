// The topics of the user's guide and the property through which a window names its own.
#pragma once

#include <array>

namespace SHTMLHelper {

// A widget's topic: the QString property "helpTopic". F1 shows the topic of the nearest widget,
// from the focused one up through its parents, that carries one.
inline constexpr const char* kHelpTopicProperty = "helpTopic";

inline constexpr const char* kContentsTopic = "1_vkCert.html";
inline constexpr const char* kMainWindowTopic = "2_MainWindow.html";

// Every topic page of the guide, in the order of its table of contents.
inline constexpr std::array<const char*, 14> kTopics = {
    "1_vkCert.html",
    "2_MainWindow.html",
    "3_Icons.html",
    "4_ObjectSelection.html",
    "5_Authentication.html",
    "6_CertificateStore.html",
    "7_CertificateImport.html",
    "8_CertificateImport_CER.html",
    "9_CertificateImport_PFX.html",
    "10_Certificate_Export.html",
    "11_CertificateExport_CER.html",
    "12_CertificateExport_PFX.html",
    "13_DefaultContainer.html",
    "14_DeleteContainer.html",
};

// The tabs of the help window's navigation pane, numbered as the Help menu's modes.
enum class EHelpTab { Contents = 1, Index = 2, Search = 3 };

}  // namespace SHTMLHelper
