// A main window over the demo tokens of a world of its own: `vktoken demo` builds the readers
// and tokens, the frame is created and shown as the program does it, and the helpers find,
// select and open nodes the way a user reaches them. The world's singletons go before it.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "gui/resources/LanguageEvents.h"
#include "gui/tree/CItemsTreeView.h"
#include "gui/ui/frame/CFrameStatusBar.h"
#include "gui/ui/frame/CMainFrame.h"
#include "platform/registry/Registry.h"
#include "platform/token/TokenWorld.h"
#include "platform/token/service/TokenServiceClient.h"
#include "program/app/LangResource.h"
#include "program/app/UiLanguage.h"
#include "program/core/sdp/CSingletonRegistry.h"
#include "program/core/settings/CSplitterItemInfo.h"
#include "program/tree/ITreeItemInfo.h"
#include "res/resource.h"
#include "support/ChildProcess.h"
#include "support/TempWorld.h"
#include "support/gui/QtApp.h"

namespace frametest {

inline constexpr const char* kReader0 = "Velkora USB Reader 0";
inline constexpr const char* kReader1 = "Velkora USB Reader 1";
inline constexpr const char* kReader2 = "Velkora USB Reader 2";

inline constexpr const wchar_t* kSettingsKey = L"SOFTWARE\\Orvel\\Velkora\\vkCert\\Settings";

using NodePtr = STreeItemInfo::ITreeItemInfoPtr;

// Runs the event loop until `done` or the time is up; answers `done()`.
inline bool SpinUntil(const std::function<bool()>& done, int timeoutMs = 10000) {
    return QTest::qWaitFor(done, timeoutMs);
}

// Runs vktoken with the arguments; answers its exit code.
inline int Vktoken(const std::vector<std::string>& args) {
    std::vector<std::string> argv{VKTOKEN};
    argv.insert(argv.end(), args.begin(), args.end());
    return vktest::ChildProcess::Exec(argv).Wait();
}

inline std::wstring W(const char* text) {
    return QString::fromUtf8(text).toStdWString();
}

// Logs the user of the token in the reader in, as another program of the session would.
inline void Login(const char* reader, const char* pin) {
    vkstore::TokenWorld tokens;
    vkstore::service::TokenServiceClient().Login(tokens.Root(), reader, pin);
}

// Acts on the PIN prompt once it is up: types the PIN and presses OK, or without one gives up.
inline void AnswerPrompt(const char* pin) {
    auto answer = std::make_shared<std::function<void()>>();
    *answer = [pin, answer] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) {
            QTimer::singleShot(10, *answer);
        } else if (pin == nullptr) {
            dialog->reject();
        } else {
            dialog->findChild<QLineEdit*>("pin")->setText(QString::fromLatin1(pin));
            dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
        }
    };
    QTimer::singleShot(0, *answer);
}

// English now and afterwards, with language changes delivered to the windows in between.
struct English {
    English() { SetUiLanguage(LANG_NEUTRAL_DEFAULT_ID); }
    ~English() { SetUiLanguage(LANG_NEUTRAL_DEFAULT_ID); }
    CLanguageEventDelivery delivery;
};

class FrameWorld {
public:
    FrameWorld() {
        vktest::QtApp();
        EXPECT_EQ(Vktoken({"demo"}), 0);
    }
    ~FrameWorld() {
        Close();
        // The provider context cache and the reader monitor watch this world: they go first.
        SDP::SINGLETON::Teardown();
    }
    FrameWorld(const FrameWorld&) = delete;
    FrameWorld& operator=(const FrameWorld&) = delete;

    // Creates and shows a main window and waits until it lists the three readers; or, with
    // `firstRoundOnly`, runs the first round of events only: the tree has had its first
    // filling, and the window does not listen to the platform yet.
    CMainFrame& Start(bool firstRoundOnly = false) {
        Close();
        m_frame = std::make_unique<CMainFrame>();
        EXPECT_TRUE(m_frame->Create());
        m_frame->ShowWindow();
        if (firstRoundOnly) {
            QCoreApplication::sendPostedEvents(m_frame.get(), QEvent::MetaCall);
        } else {
            EXPECT_TRUE(SpinUntil([this] { return TopLevel().size() == 3; }));
        }
        return *m_frame;
    }

    // Closes the window as its close button does, and destroys it.
    void Close() {
        if (m_frame) {
            m_frame->close();
            m_frame.reset();
        }
    }

    CMainFrame& Frame() { return *m_frame; }

    std::vector<NodePtr> TopLevel() { return Children(nullptr); }

    std::vector<NodePtr> Children(const NodePtr& node) {
        std::vector<NodePtr> out;
        m_frame->ChildNodes(node.get(), out);
        return out;
    }

    // The node of that path among the levels opened so far (or, with `open`, opened on the way
    // as a click on each expander opens it), or null.
    NodePtr Find(const std::wstring& path, bool open = false) {
        for (std::vector<NodePtr> level = TopLevel(); !level.empty();) {
            const auto it = std::ranges::find_if(level, [&path](const NodePtr& node) {
                return path == node->GetPath() || path.starts_with(node->GetPath() + L"\\");
            });
            if (it == level.end() || (*it)->GetPath() == path) {
                return it == level.end() ? nullptr : *it;
            }
            if (open) {
                Expand(*it);
            }
            level = Children(*it);
        }
        return nullptr;
    }

    QTreeView* Tree() { return qobject_cast<QTreeView*>(m_frame->TreeView()->TreeControl()); }

    // Selects the node and opens its level, as a click on its expander does.
    void Expand(const NodePtr& node) {
        m_frame->SelectNode(node.get());
        QTreeView* tree = Tree();
        ASSERT_NE(tree, nullptr);
        tree->expand(tree->currentIndex());
        QApplication::processEvents();
    }

    // Opens every level down to the node of that path and selects it; answers it.
    NodePtr Open(const std::wstring& path) {
        NodePtr node = Find(path, true);
        if (node) {
            m_frame->SelectNode(node.get());
            QApplication::processEvents();
        }
        return node;
    }

    std::wstring StatusPane(int pane) {
        return m_frame->FrameStatusBar()->PaneText(pane).toStdWString();
    }

private:
    vktest::TempWorld m_temp;
    std::unique_ptr<CMainFrame> m_frame;
};

// A stored value of the frame's settings, as the registry holds it.
inline std::vector<BYTE> StoredValue(const wchar_t* name) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return {};
    }
    std::vector<BYTE> data(1024);
    DWORD size = static_cast<DWORD>(data.size());
    const LONG rc = RegQueryValueExW(key, name, nullptr, nullptr, data.data(), &size);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS) {
        return {};
    }
    data.resize(size);
    return data;
}

inline void StoreValue(const wchar_t* name, DWORD type, const void* data, DWORD size) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_WRITE, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

// Stored widths of the tree and the right pane, and the right pane's least width.
inline void StorePanes(LONG left, LONG right, LONG rightMinWidth = 0) {
    const SLocalTools::CSplitterItemInfo leftPane{left, 0};
    const SLocalTools::CSplitterItemInfo rightPane{right, rightMinWidth};
    StoreValue(L"LeftPaneInfo", REG_BINARY, &leftPane, sizeof leftPane);
    StoreValue(L"RightPaneInfo", REG_BINARY, &rightPane, sizeof rightPane);
}

}  // namespace frametest
