#include "gui/ui/views/CContainerView.h"

#include "gui/widgets/CSizingAnchors.h"
#include "program/ui/viewtext/ContainerViewText.h"
#include "res/resource.h"

CContainerView::CContainerView(CFrameFacadePtr facade, QWidget* parent)
    : CPropertyViewBase(IDD_CONTAINER_VIEW, IDC_CONTAINER_HEADER, IDC_CONTAINER_SEPARATOR,
                        std::move(facade), parent) {}

void CContainerView::OnInitialUpdate() {
    CPropertyViewBase::OnInitialUpdate();
    AddSizedControl(Control(IDC_CONTAINER_AREA), CSizingAnchors::kStretch,
                    CSizingAnchors::kStretch);
    m_headerTemplate = TemplateText(IDC_CONTAINER_HEADER);
    SetHeaderText({});
}

void CContainerView::FillContainerName(const std::wstring& containerName) {
    SetHeaderText(viewtext::ContainerViewHeader(m_headerTemplate, containerName));
}
