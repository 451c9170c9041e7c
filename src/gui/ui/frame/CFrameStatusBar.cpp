#include "gui/ui/frame/CFrameStatusBar.h"

#include <QFontMetrics>
#include <QLabel>
#include <QStyle>

#include "program/app/LangResource.h"

namespace {

constexpr int kShortestMeasured = 5;

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
            label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
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
        const QFontMetrics metrics(label->font());
        const int frame = 2 * label->frameWidth() + 2 * label->margin();
        label->setFixedWidth(metrics.horizontalAdvance(text) + frame + 2);
    }
}
