// The main window's status bar: three token panes fitted to their texts (access rights, token
// ID, free bytes) and the stretching message pane.
#pragma once

#include <QStatusBar>
#include <array>

#include "platform/WinTypes.h"
#include "res/resource.h"

class QLabel;

class CFrameStatusBar : public QStatusBar {
    Q_OBJECT
public:
    static constexpr int kAccessPane = 0;
    static constexpr int kTokenIdPane = 1;
    static constexpr int kFreeBytesPane = 2;
    static constexpr int kMessagePane = 3;
    static constexpr int kPaneCount = 4;
    // Indicator string ids, left to right.
    static constexpr std::array<UINT, kPaneCount> kIndicators{
        ID_INDICATOR_ACCESS, ID_INDICATOR_TOKEN_ID, ID_INDICATOR_FREE_BYTES, ID_INDICATOR_MESSAGE};

    explicit CFrameStatusBar(QWidget* parent);

    void SetPaneText(int pane, const QString& text);
    QString PaneText(int pane) const;
    QLabel* Pane(int pane) const { return m_panes.at(static_cast<std::size_t>(pane)); }

    // Gives panes 0 to 2 the width of their texts (of five blanks when shorter) with the
    // frame, margins and padding around them.
    void FitPaneWidths();

private:
    std::array<QLabel*, kPaneCount> m_panes{};
};
