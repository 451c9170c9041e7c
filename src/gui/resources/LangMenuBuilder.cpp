#include "gui/resources/LangMenuBuilder.h"

#include <QAction>
#include <QMenuBar>
#include <QVariant>

namespace {

constexpr const char* kBuiltProperty = "vkBuiltMenu";

// Removes what an earlier fill put there, submenus included.
void Clear(QWidget* menuOrBar) {
    const auto actions = menuOrBar->actions();
    for (QAction* action : actions) {
        menuOrBar->removeAction(action);
        if (action->parent() == menuOrBar) {
            delete action;
        }
    }
    for (QMenu* sub : menuOrBar->findChildren<QMenu*>(Qt::FindDirectChildrenOnly)) {
        if (sub->property(kBuiltProperty).toBool()) {
            delete sub;
        }
    }
}

QAction* MakeCommand(QWidget* owner, const CMenuItem& item) {
    auto* action = new QAction(QString::fromStdWString(item.text), owner);
    action->setObjectName(QStringLiteral("id_%1").arg(item.id));
    action->setProperty(CLangMenuBuilder::kIdProperty, item.id);
    action->setEnabled(item.IsEnabled());
    action->setCheckable(item.checked);
    action->setChecked(item.checked);
    return action;
}

QMenu* MakeSubMenu(QWidget* owner, const CMenuItem& item) {
    auto* sub = new QMenu(QString::fromStdWString(item.text), owner);
    sub->setProperty(kBuiltProperty, true);
    sub->menuAction()->setEnabled(item.IsEnabled());
    CLangMenuBuilder::Fill(sub, item.submenu);
    return sub;
}

void AddItems(QWidget* owner, const CMenu& model) {
    for (const auto& item : model.Items()) {
        if (item.separator) {
            auto* separator = new QAction(owner);
            separator->setSeparator(true);
            owner->addAction(separator);
        } else if (item.popup) {
            owner->addAction(MakeSubMenu(owner, item)->menuAction());
        } else {
            owner->addAction(MakeCommand(owner, item));
        }
    }
}

QAction* FindIn(const QWidget* owner, UINT id, int depth) {
    if (!owner || depth > 64) {
        return nullptr;
    }
    for (QAction* action : owner->actions()) {
        if (QMenu* sub = action->menu()) {
            if (QAction* found = FindIn(sub, id, depth + 1)) {
                return found;
            }
        } else if (!action->isSeparator() && CLangMenuBuilder::CommandId(action) == id &&
                   action->property(CLangMenuBuilder::kIdProperty).isValid()) {
            return action;
        }
    }
    return nullptr;
}

}  // namespace

std::unique_ptr<QMenu> CLangMenuBuilder::Build(const CMenu& model, QWidget* parent) {
    auto menu = std::make_unique<QMenu>(parent);
    Fill(menu.get(), model);
    return menu;
}

void CLangMenuBuilder::Fill(QMenu* menu, const CMenu& model) {
    Clear(menu);
    AddItems(menu, model);
}

void CLangMenuBuilder::Fill(QMenuBar* bar, const CMenu& model) {
    Clear(bar);
    AddItems(bar, model);
}

QAction* CLangMenuBuilder::FindAction(const QWidget* menuOrBar, UINT id) {
    return FindIn(menuOrBar, id, 0);
}

UINT CLangMenuBuilder::CommandId(const QAction* action) {
    return action ? action->property(kIdProperty).toUInt() : 0;
}
