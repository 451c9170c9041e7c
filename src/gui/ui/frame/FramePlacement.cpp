#include "gui/ui/frame/FramePlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSplitter>
#include <QWidget>
#include <algorithm>

namespace {

// Show commands of a stored placement.
constexpr DWORD SW_HIDE = 0;
constexpr DWORD SW_SHOWNORMAL = 1;
constexpr DWORD SW_SHOWMINIMIZED = 2;
constexpr DWORD SW_SHOWMAXIMIZED = 3;
constexpr DWORD SW_MINIMIZE = 6;
constexpr DWORD SW_SHOWMINNOACTIVE = 7;
constexpr DWORD SW_FORCEMINIMIZE = 11;

void ApplyDefaultSize(QWidget& window) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    const QSize area = screen->availableGeometry().size();
    window.resize(window.sizeHint().expandedTo(area * 3 / 4).boundedTo(area));
}

}  // namespace

bool RestorePlacement(QWidget& window, const CWindowPlacement& placement) {
    if (placement.length < kPlacementLength) {
        ApplyDefaultSize(window);
        return false;
    }
    const auto& r = placement.rcNormalPosition;
    const QRect rect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1));
    if (rect.isValid()) {
        window.setGeometry(rect);
    }
    switch (placement.showCmd) {
        case SW_HIDE:
        case SW_SHOWMINIMIZED:
        case SW_MINIMIZE:
        case SW_SHOWMINNOACTIVE:
        case SW_FORCEMINIMIZE:
            return false;
        default:
            return placement.showCmd == SW_SHOWMAXIMIZED;
    }
}

CWindowPlacement CapturePlacement(const QWidget& window) {
    const QRect normal = window.normalGeometry();
    CWindowPlacement placement{};
    placement.length = sizeof(CWindowPlacement);
    placement.flags = 0;
    if (window.isMinimized()) {
        placement.showCmd = SW_SHOWMINIMIZED;
    } else if (window.isMaximized()) {
        placement.showCmd = SW_SHOWMAXIMIZED;
    } else {
        placement.showCmd = SW_SHOWNORMAL;
    }
    placement.ptMinPosition = {-1, -1};
    placement.ptMaxPosition = {-1, -1};
    placement.rcNormalPosition = {normal.left(), normal.top(), normal.left() + normal.width(),
                                  normal.top() + normal.height()};
    return placement;
}

bool HasPaneWidths(const SLocalTools::CSplitterItemInfo& left,
                   const SLocalTools::CSplitterItemInfo& right) {
    return left.cxCur >= 1 && right.cxCur >= 1;
}

void RestorePaneWidths(QSplitter& splitter, const SLocalTools::CSplitterItemInfo& left,
                       const SLocalTools::CSplitterItemInfo& right) {
    if (!HasPaneWidths(left, right) || splitter.count() < 2) {
        return;
    }
    splitter.widget(0)->setMinimumWidth(std::max<LONG>(0, left.cxMin));
    splitter.widget(1)->setMinimumWidth(std::max<LONG>(0, right.cxMin));
    // The left pane gets its width exactly; the right one what is left of the splitter, as
    // long as the splitter has its width.
    const int available = splitter.width() - splitter.handleWidth();
    const int rightWidth =
        available > left.cxCur ? available - left.cxCur : static_cast<int>(right.cxCur);
    splitter.setSizes({left.cxCur, rightWidth});
}

bool CapturePaneWidths(const QSplitter& splitter, SLocalTools::CSplitterItemInfo& left,
                       SLocalTools::CSplitterItemInfo& right) {
    const QList<int> sizes = splitter.sizes();
    if (sizes.size() != 2) {
        return false;
    }
    left = {sizes.at(0), splitter.widget(0)->minimumWidth()};
    right = {sizes.at(1), splitter.widget(1)->minimumWidth()};
    return true;
}
