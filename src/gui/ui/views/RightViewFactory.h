// Makes the right pane's views: a widget for the pane and the fill interface the nodes use.
#pragma once

#include <memory>

#include "program/ui/CFrameFacade.h"
#include "program/ui/IRightView.h"

class QWidget;

struct CRightViewWidget {
    QWidget* widget = nullptr;   // owned by the parent given to CreateRightView
    IRightView* view = nullptr;  // lives as long as the widget
};

// A new view of the kind, child of `parent`, laid out from its template in the interface
// language and ready to be filled (its initial update has run). The facade (null without a
// frame) gives it the frame's list split record and takes Tab on to the tree pane.
CRightViewWidget CreateRightView(ERightViewKind kind, QWidget* parent, CFrameFacadePtr facade);
