// Shared by the property view tests: a shown pane that hosts one view at a time, the demo data
// the views show, texts of a view's list as the list asks for them, and its list split dragged
// with the mouse (the main window's right pane test drags it too). The frame the views reach is
// the tests' fake frame (support/FakeFrame.h).
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTreeWidget>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "gui/ui/views/CListPropertyView.h"
#include "gui/ui/views/RightViewFactory.h"
#include "gui/widgets/CListWithEditEx.h"
#include "gui/widgets/CSimpleSplitResendingNotifications.h"
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

// A view of the kind made by the factory in the pane, filling the pane; throws when none is made.
template <typename View>
View* MakeView(ERightViewKind kind, QWidget& pane, CFrameFacadePtr facade = nullptr) {
    const CRightViewWidget made = CreateRightView(kind, &pane, std::move(facade));
    EXPECT_EQ(made.widget, dynamic_cast<QWidget*>(made.view));
    auto* view = dynamic_cast<View*>(made.view);
    if (view == nullptr) {
        throw std::runtime_error("no view of that kind was made");
    }
    view->setGeometry(pane.rect());
    view->show();
    QApplication::processEvents();
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

// Drags the bar between a list and its detail box up (down when negative) with the mouse.
inline void DragBarUp(CListWithEdit* widget, int by = 120) {
    CSimpleSplitter* bar = widget->Splitter();
    const QPoint from(bar->width() / 2, bar->Layout().Positions()[1] - 2);
    const QPoint to = from - QPoint(0, by);
    for (const auto& [type, at] : {std::pair{QEvent::MouseButtonPress, from},
                                   {QEvent::MouseMove, to},
                                   {QEvent::MouseButtonRelease, to}}) {
        QMouseEvent e(type, QPointF(at), bar->mapToGlobal(QPointF(at)),
                      type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                      Qt::NoModifier);
        QApplication::sendEvent(bar, &e);
    }
}

// The list/detail split of a list view.
inline std::vector<std::int32_t> Split(CListPropertyView* view) {
    return view->ListWidget()->Splitter()->GetProportions();
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
