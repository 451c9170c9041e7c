// Makes the right pane's views: a widget for the pane and the fill interface the nodes use.
#pragma once

#include <memory>

#include "ui/model/CFrameFacade.h"
#include "ui/model/IRightView.h"

class QWidget;

struct CRightViewWidget {
    QWidget* widget = nullptr;   // owned by the parent given to CreateRightView
    IRightView* view = nullptr;  // lives as long as the widget
};

// A new view of the kind, child of `parent`; the facade gives it the frame's list split record
// and the Tab handling.
CRightViewWidget CreateRightView(ERightViewKind kind, QWidget* parent, CFrameFacadePtr facade);
