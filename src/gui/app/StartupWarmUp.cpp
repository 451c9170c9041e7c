#include "gui/app/StartupWarmUp.h"

#include "desktop/FontConfiguration.h"
#include "gui/resources/DialogFont.h"
#include "gui/tree/CItemsTreeView.h"
#include "gui/ui/views/DetailBoxFont.h"
#include "platform/crypto/OpenSslInit.h"
#include "platform/token/PreparedConnections.h"
#include "program/app/LangResource.h"
#include "res/resource.h"

namespace {

// What the forms of the first window (the tree and the token view) measure first.
void MeasureFirstWindowFonts() {
    for (const UINT form : {IDD_TREE_VIEW, IDD_TOKEN_VIEW}) {
        if (const auto dlg = LoadLangDialogTemplate(form)) {
            CDialogFont::ForTemplate(*dlg);
        }
    }
    DetailBoxFont();
}

}  // namespace

CStartupWarmUp::CStartupWarmUp() : m_thread([this] { Run(); }) {}

CStartupWarmUp::~CStartupWarmUp() {
    SetQt(EQt::Gone);
    m_thread.join();
}

void CStartupWarmUp::QtStarted() {
    SetQt(EQt::Started);
}

void CStartupWarmUp::WaitForFonts() {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_fontsReady; });
}

void CStartupWarmUp::SetQt(EQt state) {
    {
        const std::lock_guard lock(m_mutex);
        if (m_qt != EQt::NotYet) {
            return;
        }
        m_qt = state;
    }
    m_changed.notify_all();
}

void CStartupWarmUp::Run() {
    PreloadFontConfiguration();
    {
        std::unique_lock lock(m_mutex);
        m_fontsReady = true;
        m_changed.notify_all();
        m_changed.wait(lock, [this] { return m_qt != EQt::NotYet; });
        if (m_qt == EQt::Gone) {
            return;
        }
    }
    MeasureFirstWindowFonts();
    vk::crypto::OpenSslInit();
    vkstore::PrepareConnectionsForAnotherThread();
}
