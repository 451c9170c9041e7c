#include "gui/ui/frame/CFrameStatusBar.h"

#include <QFontMetrics>
#include <QLabel>
#include <algorithm>

#include "program/app/LangResource.h"

namespace {

constexpr int kShortestMeasured = 5;
// Blank pixels between a token pane's frame and its text, on each side.
constexpr int kTextPadding = 3;

}  // namespace

CFrameStatusBar::CFrameStatusBar(QWidget* parent) : QStatusBar(parent) {
    setObjectName(QStringLiteral("statusBar"));
    setSizeGripEnabled(true);
    for (int pane = 0; pane < kPaneCount; ++pane) {
        auto* label = new QLabel(this);
        label->setObjectName(QStringLiteral("pane%1").arg(pane));
        // Until the first update each pane shows its indicator's string.
        label->setText(QString::fromStdWString(
            LoadLangString(kIndicators.at(static_cast<std::size_t>(pane)))));
        if (pane == kMessagePane) {
            label->setMinimumWidth(0);
            label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
            addWidget(label, 1);
        } else {
            // A full plain frame: a sunken panel's light right and bottom edges vanish on the
            // bar's background.
            label->setFrameStyle(QFrame::Box | QFrame::Plain);
            label->setIndent(kTextPadding);
            addWidget(label, 0);
        }
        m_panes.at(static_cast<std::size_t>(pane)) = label;
    }
    // The message pane comes last: Qt lays out normal widgets in insertion order.
}

void CFrameStatusBar::SetPaneText(int pane, const QString& text) {
    if (pane >= 0 && pane < kPaneCount) {
        Pane(pane)->setText(text);
    }
}

QString CFrameStatusBar::PaneText(int pane) const {
    return pane >= 0 && pane < kPaneCount ? Pane(pane)->text() : QString();
}

void CFrameStatusBar::FitPaneWidths() {
    for (int pane = 0; pane < kMessagePane; ++pane) {
        QLabel* label = Pane(pane);
        QString text = label->text();
        if (text.size() < kShortestMeasured) {
            text = QString(kShortestMeasured, QLatin1Char(' '));
        }
        // The font the style gives the label, and everything QLabel keeps clear of its text: the
        // indent on the left, as much blank on the right.
        label->ensurePolished();
        const QMargins contents = label->contentsMargins();
        const int chrome = 2 * label->frameWidth() + contents.left() + contents.right() +
                           2 * label->margin() + 2 * std::max(label->indent(), 0);
        label->setFixedWidth(label->fontMetrics().horizontalAdvance(text) + chrome);
    }
}
