// A small splitter of N panes with flat bars between them: panes side by side
// (orientation 1) or stacked (any other value). The panes keep their
// proportions when the splitter is resized, never below the minimum pane size;
// dragging a bar shows a tracker and moves the bar on release. The arithmetic
// is CSplitLayout's.
#pragma once

#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <span>
#include <vector>

#include "gui/widgets/CSplitLayout.h"
#include "platform/WinTypes.h"

class CSimpleSplitter : public QWidget {
    Q_OBJECT

public:
    static constexpr int kSideBySide = 1;
    static constexpr int kStacked = 2;

    CSimpleSplitter(int paneCount, int orientation, int minPane, int barWidth,
                    QWidget* parent = nullptr);

    // Makes the splitter a visible child of `parent` with control id `id`.
    // False when the parent is null.
    bool Create(QWidget* parent, UINT id);

    int PaneCount() const { return m_layout.PaneCount(); }
    bool IsSideBySide() const { return m_orientation == kSideBySide; }

    // Records the window of pane `index`, makes it a child of the splitter and
    // moves it into its pane. False for an index out of range.
    bool SetPane(int index, QWidget* pane);
    QWidget* Pane(int index) const;

    // N positive weights; see CSplitLayout::SetProportions. Moves the panes
    // once the splitter has had its size (its first resize event).
    bool SetProportions(std::span<const std::int32_t> weights);
    std::vector<std::int32_t> GetProportions() const { return m_layout.Proportions(); }
    const CSplitLayout& Layout() const { return m_layout; }

    // The tracker while a bar is dragged (for tests and painting), else null.
    const QWidget* Tracker() const;

protected:
    void resizeEvent(QResizeEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    int Along(const QPoint& p) const;
    int ClientAlong() const;
    int ClientAcross() const;
    QRect BandRect(int start, int length) const;
    void LayOutAndMove();
    void MovePanes();
    void ShowTracker();

    int m_orientation;
    CSplitLayout m_layout;
    std::vector<QPointer<QWidget>> m_panes;
    QWidget* m_tracker = nullptr;  // child; shown while a bar is dragged
};
