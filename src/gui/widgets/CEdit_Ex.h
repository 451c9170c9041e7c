// The detail box under a list: a read-only multi-line text box that is painted
// like an editable one (the base colour, not the window colour) and whose text
// can still be selected and copied with the mouse and the keyboard.
#pragma once

#include <QPlainTextEdit>

class CEdit_Ex : public QPlainTextEdit {
    Q_OBJECT

public:
    explicit CEdit_Ex(QWidget* parent = nullptr);
};
