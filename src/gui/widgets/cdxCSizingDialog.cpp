#include "gui/widgets/cdxCSizingDialog.h"

#include <QResizeEvent>
#include <algorithm>

#include "gui/resources/DialogFont.h"
#include "gui/resources/LangDialogBuilder.h"
#include "program/app/LangResource.h"

namespace {

CEdgeRect ToEdges(const QRect& r) {
    return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

QRect ToQRect(const CEdgeRect& r) {
    return QRect(r.left, r.top, r.Width(), r.Height());
}

}  // namespace

cdxCSizingDialog::cdxCSizingDialog(UINT templateId, UINT enlargeFlags, QWidget* parent)
    : QScrollArea(parent),
      m_templateId(templateId),
      m_enlargeFlags(enlargeFlags),
      m_form(new QWidget) {
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::NoFocus);
    setWidgetResizable(false);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setWidget(m_form);
}

cdxCSizingDialog::~cdxCSizingDialog() = default;

void cdxCSizingDialog::InitialUpdate() {
    if (!m_initialUpdateDone) {
        OnInitialUpdate();
        // The resize events that came before found nothing to place.
        PlaceAll();
    }
}

void cdxCSizingDialog::FollowViewSize() {
    m_followView = true;
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    if (m_initialSize.width() >= 0) {
        PlaceAll();
    }
}

void cdxCSizingDialog::OnInitialUpdate() {
    QSize natural;
    if (MeasureNaturalSize(natural)) {
        m_referenceSize = natural;
        m_initialSize = natural;
    } else {
        m_referenceSize = QSize(0, 0);
        m_initialSize = viewport()->size();
    }
    m_windowSizeAtInit = size();
    Enlarge();
    m_initialUpdateDone = true;
}

bool cdxCSizingDialog::MeasureNaturalSize(QSize& size) const {
    const auto dlg = LoadLangDialogTemplate(m_templateId);
    if (!dlg) {
        return false;
    }
    size = CDialogFont::ForTemplate(*dlg).MapSize(dlg->cx, dlg->cy);
    return true;
}

// The view grows around itself by a fifth of its size on each enlarged side
// (never past its parent's left or top edge).
void cdxCSizingDialog::Enlarge() {
    const QRect g = geometry();
    CEdgeRect r = ToEdges(g);
    if (m_enlargeFlags & kEnlargeHorizontal) {
        const int by = g.width() * kEnlargePercent / 50;
        r.left = std::max(r.left - by, 0);
        r.right += by;
    }
    if (m_enlargeFlags & kEnlargeVertical) {
        const int by = g.height() * kEnlargePercent / 50;
        r.top = std::max(r.top - by, 0);
        r.bottom += by;
    }
    if (m_enlargeFlags & (kEnlargeHorizontal | kEnlargeVertical)) {
        setGeometry(ToQRect(r));
    }
}

QSize cdxCSizingDialog::Growth() const {
    if (m_initialSize.width() < 0) {
        return QSize(0, 0);
    }
    const QSize growth = viewport()->size() - m_initialSize;
    return m_followView ? growth : growth.expandedTo(QSize(0, 0));
}

bool cdxCSizingDialog::AddSizedControl(QWidget* control, int horizontalMode, int verticalMode) {
    return AddSizedControl(control, CSizingAnchors::FromModes(horizontalMode, verticalMode));
}

bool cdxCSizingDialog::AddSizedControl(QWidget* control, const CSizingAnchors& anchors) {
    if (control == nullptr || control->parentWidget() != m_form || m_initialSize.width() < 0 ||
        anchors.IsNull()) {
        return false;
    }
    ControlInfo entry;
    entry.windows.emplace_back(control);
    entry.anchors = anchors;
    entry.reference = ToEdges(control->geometry());
    m_entries.push_front(std::move(entry));
    // Placed for the growth the view already has, so that a control registered
    // after the view was resized does not wait for the next resize.
    Place(m_entries.front(), Growth());
    return true;
}

bool cdxCSizingDialog::AddEqualControl(QWidget* control, QWidget* twin) {
    if (control == nullptr || twin == nullptr || twin->parentWidget() != m_form) {
        return false;
    }
    for (ControlInfo& entry : m_entries) {
        if (std::find(entry.windows.begin(), entry.windows.end(), control) != entry.windows.end()) {
            entry.windows.emplace_back(twin);
            Place(entry, Growth());
            return true;
        }
    }
    return false;
}

QWidget* cdxCSizingDialog::Control(DWORD id) const {
    return CLangDialogBuilder::FindControl(m_form, id);
}

void cdxCSizingDialog::Place(const ControlInfo& entry, const QSize& growth) const {
    const QRect r = ToQRect(entry.anchors.Place(entry.reference, growth.width(), growth.height()));
    for (const QPointer<QWidget>& w : entry.windows) {
        if (w) {
            w->setGeometry(r);
        }
    }
}

// The form is the designed size plus the growth: at or above the designed
// size it fills the view, below it the view scrolls (unless the form follows
// the view, whose growth is then negative).
void cdxCSizingDialog::FitForm(const QSize& growth) {
    m_form->resize(m_initialSize + growth);
}

void cdxCSizingDialog::PlaceAll() {
    const QSize growth = Growth();
    FitForm(growth);
    for (const ControlInfo& entry : m_entries) {
        Place(entry, growth);
    }
}

void cdxCSizingDialog::resizeEvent(QResizeEvent* e) {
    if (m_initialSize.width() >= 0) {
        PlaceAll();
        viewport()->update();
    }
    QScrollArea::resizeEvent(e);
}

void cdxCSizingDialog::showEvent(QShowEvent* e) {
    if (m_initialUpdateDone) {
        // The first update may have run before the view had its size.
        PlaceAll();
    } else {
        InitialUpdate();
    }
    QScrollArea::showEvent(e);
}
