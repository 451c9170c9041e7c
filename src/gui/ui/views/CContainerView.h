// A container's view: its picture and the header "<name>   Container" over an
// empty area.
#pragma once

#include <string>

#include "gui/ui/views/CPropertyViewBase.h"

class CContainerView final : public CPropertyViewBase, public IContainerViewFill {
public:
    CContainerView(CFrameFacadePtr facade, QWidget* parent);

    ERightViewKind Kind() const override { return ERightViewKind::Container; }
    IContainerViewFill* AsContainer() override { return this; }

    void FillContainerName(const std::wstring& containerName) override;

protected:
    void OnInitialUpdate() override;

private:
    std::wstring m_headerTemplate;
};
