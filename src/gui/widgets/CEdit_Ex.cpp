#include "gui/widgets/CEdit_Ex.h"

CEdit_Ex::CEdit_Ex(QWidget* parent) : QPlainTextEdit(parent) {
    setReadOnly(true);
    // Read-only, yet selectable and copyable like an editable box.
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    // A full plain frame: a sunken panel's light right and bottom edges vanish on the window.
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    // Tab leaves the box instead of typing into it.
    setTabChangesFocus(true);
    setFocusPolicy(Qt::StrongFocus);
    QPalette pal = palette();
    pal.setColor(QPalette::Inactive, QPalette::Base, pal.color(QPalette::Active, QPalette::Base));
    setPalette(pal);
}
