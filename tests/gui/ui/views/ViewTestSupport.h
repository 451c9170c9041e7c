// Shared by the property view tests: a shown pane that hosts one view at a time, the demo data
// the views show, and texts of a view's list as the list asks for them. The frame the views
// reach is the tests' fake frame (support/FakeFrame.h).
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QTreeWidget>
#include <memory>
#include <string>
#include <vector>

#include "gui/ui/views/RightViewFactory.h"
#include "program/app/UiLanguage.h"
#include "program/token/STokenRecord.h"
#include "res/resource.h"
#include "support/FakeFrame.h"
#include "support/gui/QtApp.h"

namespace viewtest {

// A shown top-level window standing for the right pane.
struct Pane {
    bool appMade = (vktest::QtApp(), true);  // before any widget
    QWidget host;
    Pane() {
        host.resize(800, 600);
        host.show();
        QApplication::processEvents();
    }
};

// A view of the kind made by the factory in the pane, filling the pane.
template <typename View>
View* MakeView(ERightViewKind kind, QWidget& pane, CFrameFacadePtr facade = nullptr) {
    const CRightViewWidget made = CreateRightView(kind, &pane, std::move(facade));
    EXPECT_NE(made.widget, nullptr);
    EXPECT_EQ(made.widget, dynamic_cast<QWidget*>(made.view));
    auto* view = dynamic_cast<View*>(made.view);
    EXPECT_NE(view, nullptr);
    if (view != nullptr) {
        view->setGeometry(pane.rect());
        view->show();
        QApplication::processEvents();
    }
    return view;
}

inline void UseLanguage(LANGID lang) {
    SetUiLanguage(lang);
    ASSERT_EQ(GetUiLanguage(), lang);
}

inline QString Text(const QTreeWidget* list, int row, int column) {
    const QTreeWidgetItem* item = list->topLevelItem(row);
    return item != nullptr ? item->data(column, Qt::DisplayRole).toString() : QString();
}

inline std::vector<QString> Column(const QTreeWidget* list, int column) {
    std::vector<QString> texts;
    for (int row = 0; row < list->topLevelItemCount(); ++row) {
        texts.push_back(Text(list, row, column));
    }
    return texts;
}

// A key as a window delivers it: the shortcut check first, then the press.
inline bool SendKey(QWidget* target, int key) {
    QKeyEvent overrideEvent(QEvent::ShortcutOverride, key, Qt::NoModifier);
    QApplication::sendEvent(target, &overrideEvent);
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
    return press.isAccepted();
}

// The demo Pro token's record as the token middleware reads it ("Velkora Pro Demo", type 1).
STokenRecord DemoProRecord();

// An RSA key and a version 3 certificate for it, made with OpenSSL at test time.
struct DemoKey {
    std::vector<unsigned char> publicKeyBlob;  // the platform's PUBLICKEYBLOB
    std::vector<unsigned char> certificate;    // DER
};
// One key per process and size (key generation is slow).
const DemoKey& Demo2048();

}  // namespace viewtest
