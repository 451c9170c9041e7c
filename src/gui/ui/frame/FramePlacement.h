// The main window's placement and its panes' widths: restored from the stored records at start
// and taken from the window at close.
#pragma once

#include <utility>

#include "program/core/settings/CSplitterItemInfo.h"
#include "program/core/settings/CWindowPlacement.h"

class QSplitter;
class QWidget;

// Lowest placement record length that is applied.
inline constexpr DWORD kPlacementLength = 44;

// Places the window as the record says; a window hidden or minimised at close opens normal.
// Without a record the window takes three quarters of the screen's free area, and never less
// than its own size hint. Answers whether the window opens maximised.
bool RestorePlacement(QWidget& window, const CWindowPlacement& placement);
// The window's placement as the record stores it.
CWindowPlacement CapturePlacement(const QWidget& window);

// Gives the splitter's first pane its stored width and the second what is left, with their
// stored least widths; nothing when no widths are stored.
void RestorePaneWidths(QSplitter& splitter, const SLocalTools::CSplitterItemInfo& left,
                       const SLocalTools::CSplitterItemInfo& right);
bool HasPaneWidths(const SLocalTools::CSplitterItemInfo& left,
                   const SLocalTools::CSplitterItemInfo& right);
// The two panes' widths and least widths; nothing (false) unless the splitter has two panes.
bool CapturePaneWidths(const QSplitter& splitter, SLocalTools::CSplitterItemInfo& left,
                       SLocalTools::CSplitterItemInfo& right);
