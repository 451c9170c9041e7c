// Builds Qt menus from the menu model: popups become submenus, commands
// actions that keep their command id (object name "id_<n>" and the property
// "vkCommandId"), separators separators; grayed or inactive items are
// disabled, checked ones checkable and checked. The text after a tab is the
// shortcut hint that the menu shows at the right.
#pragma once

#include <QMenu>
#include <memory>

#include "program/app/MenuModel.h"

class QAction;
class QMenuBar;
class QWidget;

class CLangMenuBuilder {
public:
    static constexpr const char* kIdProperty = "vkCommandId";

    // A new menu holding the items of `model`.
    static std::unique_ptr<QMenu> Build(const CMenu& model, QWidget* parent = nullptr);
    // Replaces what `menu` or `bar` holds with the items of `model`.
    static void Fill(QMenu* menu, const CMenu& model);
    static void Fill(QMenuBar* bar, const CMenu& model);

    // The first action of that command in the menu or bar or its submenus, or null.
    static QAction* FindAction(const QWidget* menuOrBar, UINT id);
    // The command id of an action; 0 for separators, submenus and foreign actions.
    static UINT CommandId(const QAction* action);
};
