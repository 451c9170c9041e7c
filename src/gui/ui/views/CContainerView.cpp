#include "gui/ui/views/CContainerView.h"

#include "program/ui/viewtext/ContainerViewText.h"
#include "program/ui/viewtext/ViewIds.h"
#include "gui/ui/views/ViewControls.h"
#include "gui/widgets/CSizingAnchors.h"

CContainerView::CContainerView(CFrameFacadePtr facade, QWidget* parent)
    : CPropertyViewBase(viewtext::kContainerViewDialog, viewtext::kContainerHeaderControl,
                        views::kContainerSeparator, std::move(facade), parent) {}

void CContainerView::OnInitialUpdate() {
    CPropertyViewBase::OnInitialUpdate();
    AddSizedControl(Control(views::kContainerArea), CSizingAnchors::kStretch,
                    CSizingAnchors::kStretch);
    m_headerTemplate = TemplateText(viewtext::kContainerHeaderControl);
    SetHeaderText({});
}

void CContainerView::FillContainerName(const std::wstring& containerName) {
    SetHeaderText(viewtext::ContainerViewHeader(m_headerTemplate, containerName));
}
