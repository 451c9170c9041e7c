#include "gui/ui/frame/CFrameToolBar.h"

#include <QAction>
#include <QIcon>

#include "gui/resources/LangMenuBuilder.h"
#include "gui/resources/ResourceImages.h"
#include "gui/ui/frame/CommandTexts.h"
#include "res/resource.h"

namespace {

constexpr const char* kImageProperty = "vkImage";

}  // namespace

const std::vector<CFrameToolBar::Button>& CFrameToolBar::Layout() {
    static const std::vector<Button> layout{
        {ID_ACTIONS_LOGIN, 0},
        {0, -1},
        {ID_ACTIONS_IMPORT_CERT, 1},
        {ID_ACTIONS_EXPORT_CERT, 2},
        {0, -1},
        {ID_ACTIONS_ADD_TO_STORE, 3},
        {0, -1},
        {ID_ACTIONS_SET_DEFAULT, 4},
        {ID_ACTIONS_DELETE_CONTAINER, 5},
        {0, -1},
        {ID_VIEW_REFRESH, 6},
        {ID_HELP_INDEX, 7},
        {0, -1},
    };
    return layout;
}

CFrameToolBar::CFrameToolBar(QWidget* parent) : QToolBar(parent) {
    setObjectName(QStringLiteral("toolBar"));
    setMovable(false);
    setFloatable(false);
    setIconSize(QSize(kImageSize, kImageSize));
    setToolButtonStyle(Qt::ToolButtonIconOnly);
    for (const Button& button : Layout()) {
        QAction* action = nullptr;
        if (button.command == 0) {
            action = addSeparator();
        } else {
            action = addAction(QString());
            action->setProperty(CLangMenuBuilder::kIdProperty, button.command);
            ApplyImage(action, button.image);
            ApplyTexts(action, button.command);
            connect(action, &QAction::triggered, this,
                    [this, action] { emit commandTriggered(CLangMenuBuilder::CommandId(action)); });
        }
        m_buttons.push_back(action);
    }
    for (QAction* action : m_buttons) {
        if (QWidget* widget = widgetForAction(action); widget && !action->isSeparator()) {
            widget->setFixedSize(kButtonSize, kButtonSize);
        }
    }
}

UINT CFrameToolBar::ButtonCommand(int index) const {
    QAction* action = ButtonAction(index);
    return action ? CLangMenuBuilder::CommandId(action) : 0;
}

int CFrameToolBar::ButtonImage(int index) const {
    QAction* action = ButtonAction(index);
    return action && !action->isSeparator() ? action->property(kImageProperty).toInt() : -1;
}

bool CFrameToolBar::IsPressed(int index) const {
    QAction* action = ButtonAction(index);
    return action && action->isChecked();
}

QAction* CFrameToolBar::ButtonAction(int index) const {
    if (index < 0 || index >= ButtonCount()) {
        return nullptr;
    }
    return m_buttons.at(static_cast<std::size_t>(index));
}

int CFrameToolBar::FindButton(UINT first, UINT second) const {
    for (int index = 0; index < ButtonCount(); ++index) {
        const UINT command = ButtonCommand(index);
        if (command != 0 && (command == first || command == second)) {
            return index;
        }
    }
    return -1;
}

void CFrameToolBar::SetButton(int index, UINT command, int image, bool pressed) {
    QAction* action = ButtonAction(index);
    if (!action || action->isSeparator()) {
        return;
    }
    SetButtonState(index, command, pressed);
    if (ButtonImage(index) != image) {
        ApplyImage(action, image);
    }
}

void CFrameToolBar::SetButtonState(int index, UINT command, bool pressed) {
    QAction* action = ButtonAction(index);
    if (!action || action->isSeparator()) {
        return;
    }
    if (CLangMenuBuilder::CommandId(action) != command) {
        action->setProperty(CLangMenuBuilder::kIdProperty, command);
        ApplyTexts(action, command);
    }
    // Pressed is a look only: a click runs the command, it never flips the state itself.
    action->setCheckable(pressed);
    action->setChecked(pressed);
}

void CFrameToolBar::ReloadTexts() {
    for (QAction* action : m_buttons) {
        if (!action->isSeparator()) {
            ApplyTexts(action, CLangMenuBuilder::CommandId(action));
        }
    }
}

void CFrameToolBar::ApplyImage(QAction* action, int image) {
    QIcon icon;
    icon.addPixmap(ToolBarImage(IDB_TOOLBAR, image), QIcon::Normal);
    icon.addPixmap(ToolBarImage(IDB_TOOLBAR_DISABLED, image), QIcon::Disabled);
    action->setIcon(icon);
    action->setProperty(kImageProperty, image);
}

void CFrameToolBar::ApplyTexts(QAction* action, UINT command) {
    const QString tooltip = QString::fromStdWString(CommandTooltip(command));
    action->setText(tooltip);
    action->setToolTip(tooltip);
    action->setStatusTip(QString::fromStdWString(CommandPrompt(command).value_or(std::wstring())));
}
