#include "ui/views/CContainerView.h"

#include "ui/model/viewtext/ContainerViewText.h"
#include "ui/model/viewtext/ViewIds.h"
#include "ui/views/ViewControls.h"
#include "widgets/CSizingAnchors.h"

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
