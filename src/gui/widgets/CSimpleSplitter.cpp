#include "gui/widgets/CSimpleSplitter.h"

#include <QMouseEvent>
#include <QPainter>

#include "gui/resources/LangDialogBuilder.h"

namespace {

// The bar that follows the mouse while a bar is dragged: a halftone band.
class CSplitTracker : public QWidget {
public:
    explicit CSplitTracker(QWidget* parent) : QWidget(parent) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        hide();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), QBrush(palette().color(QPalette::WindowText), Qt::Dense4Pattern));
    }
};

}  // namespace

CSimpleSplitter::CSimpleSplitter(int paneCount, int orientation, int minPane, int barWidth,
                                 QWidget* parent)
    : QWidget(parent),
      m_orientation(orientation),
      m_layout(paneCount, minPane, barWidth),
      m_panes(static_cast<size_t>(m_layout.PaneCount())),
      m_tracker(new CSplitTracker(this)) {
    setCursor(IsSideBySide() ? Qt::SizeHorCursor : Qt::SizeVerCursor);
}

bool CSimpleSplitter::Create(QWidget* parent, UINT id) {
    if (parent == nullptr) {
        return false;
    }
    setParent(parent);
    setObjectName(CLangDialogBuilder::ObjectName(id));
    setProperty(CLangDialogBuilder::kIdProperty, static_cast<uint>(id));
    show();
    return true;
}

bool CSimpleSplitter::SetPane(int index, QWidget* pane) {
    if (index < 0 || index >= PaneCount()) {
        return false;
    }
    m_panes[index] = pane;
    if (pane != nullptr) {
        if (pane->parentWidget() != this) {
            pane->setParent(this);
            pane->show();
        }
        // Panes do not inherit the bars' sizing cursor.
        if (!pane->testAttribute(Qt::WA_SetCursor)) {
            pane->setCursor(Qt::ArrowCursor);
        }
        m_tracker->raise();
    }
    MovePanes();
    return true;
}

QWidget* CSimpleSplitter::Pane(int index) const {
    return index >= 0 && index < PaneCount() ? m_panes[index].data() : nullptr;
}

bool CSimpleSplitter::SetProportions(std::span<const std::int32_t> weights) {
    if (!m_layout.SetProportions(weights)) {
        return false;
    }
    // Until the splitter has its size the shares are only kept.
    if (m_layout.HasExtent()) {
        MovePanes();
        update();
    }
    return true;
}

const QWidget* CSimpleSplitter::Tracker() const {
    return m_layout.IsDragging() ? m_tracker : nullptr;
}

int CSimpleSplitter::Along(const QPoint& p) const {
    return IsSideBySide() ? p.x() : p.y();
}

int CSimpleSplitter::ClientAlong() const {
    return IsSideBySide() ? width() : height();
}

int CSimpleSplitter::ClientAcross() const {
    return IsSideBySide() ? height() : width();
}

// A band from `start` over `length` along the split, over the whole extent across it.
QRect CSimpleSplitter::BandRect(int start, int length) const {
    return IsSideBySide() ? QRect(start, 0, length, ClientAcross())
                          : QRect(0, start, ClientAcross(), length);
}

void CSimpleSplitter::LayOutAndMove() {
    m_layout.Layout(ClientAlong());
    MovePanes();
    update();
}

void CSimpleSplitter::MovePanes() {
    for (int i = 0; i < PaneCount(); ++i) {
        if (QWidget* pane = m_panes[i]) {
            pane->setGeometry(BandRect(m_layout.PaneStart(i), m_layout.PaneLength(i)));
        }
    }
}

void CSimpleSplitter::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    LayOutAndMove();
}

void CSimpleSplitter::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const auto& positions = m_layout.Positions();
    const int bar = m_layout.BarWidth();
    for (int k = 1; k < PaneCount(); ++k) {
        painter.fillRect(BandRect(positions[k] - bar, bar), palette().color(QPalette::Button));
    }
}

void CSimpleSplitter::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton || PaneCount() < 2) {
        QWidget::mousePressEvent(e);
        return;
    }
    m_layout.BeginDrag(Along(e->position().toPoint()));
    ShowTracker();
    e->accept();
}

void CSimpleSplitter::mouseMoveEvent(QMouseEvent* e) {
    if (!m_layout.IsDragging()) {
        QWidget::mouseMoveEvent(e);
        return;
    }
    m_layout.MoveDrag(Along(e->position().toPoint()));
    ShowTracker();
    e->accept();
}

void CSimpleSplitter::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton || !m_layout.IsDragging()) {
        QWidget::mouseReleaseEvent(e);
        return;
    }
    m_tracker->hide();
    m_layout.EndDrag();
    MovePanes();
    update();
    e->accept();
}

// The tracker is a bar just before the tracker position.
void CSimpleSplitter::ShowTracker() {
    const int bar = m_layout.BarWidth();
    m_tracker->setGeometry(BandRect(m_layout.TrackerPosition() - bar, bar));
    m_tracker->raise();
    m_tracker->show();
}
