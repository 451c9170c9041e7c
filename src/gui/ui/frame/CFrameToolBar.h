// The main window's tool bar: flat buttons of 29 by 29 pixels with 22 by 22 images from the
// strips IDB_TOOLBAR (normal) and IDB_TOOLBAR_DISABLED, tooltips and prompts from the command
// strings. The Login, store and default-container buttons are two-state: the frame sets their
// command, image and pressed look.
#pragma once

#include <QToolBar>
#include <vector>

#include "platform/WinTypes.h"

class QAction;

class CFrameToolBar : public QToolBar {
    Q_OBJECT
public:
    static constexpr int kButtonSize = 29;
    static constexpr int kImageSize = 22;

    struct Button {
        UINT command;  // 0: separator
        int image;
    };
    // Left to right; images count the non-separator buttons.
    static const std::vector<Button>& Layout();

    explicit CFrameToolBar(QWidget* parent);

    // Buttons and separators, left to right.
    int ButtonCount() const { return static_cast<int>(m_buttons.size()); }
    UINT ButtonCommand(int index) const;
    int ButtonImage(int index) const;
    bool IsPressed(int index) const;
    QAction* ButtonAction(int index) const;
    // Index of the first button whose command is one of the two; -1 when none.
    int FindButton(UINT first, UINT second) const;

    void SetButton(int index, UINT command, int image, bool pressed);
    // The state only; command and image stay.
    void SetButtonState(int index, UINT command, bool pressed);

    // Tooltips and prompts in the interface language.
    void ReloadTexts();

signals:
    void commandTriggered(UINT command);

private:
    void ApplyImage(QAction* action, int image);
    static void ApplyTexts(QAction* action, UINT command);

    std::vector<QAction*> m_buttons;
};
