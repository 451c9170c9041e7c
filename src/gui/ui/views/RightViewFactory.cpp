#include "gui/ui/views/RightViewFactory.h"

#include "gui/ui/views/CCertificateViewEx.h"
#include "gui/ui/views/CContainerView.h"
#include "gui/ui/views/CKeyViewEx.h"
#include "gui/ui/views/CTokenInfoViewEx.h"

namespace {

template <typename View>
CRightViewWidget Make(QWidget* parent, CFrameFacadePtr facade) {
    auto* view = new View(std::move(facade), parent);
    view->InitialUpdate();
    return {view, view};
}

}  // namespace

CRightViewWidget CreateRightView(ERightViewKind kind, QWidget* parent, CFrameFacadePtr facade) {
    switch (kind) {
        case ERightViewKind::TokenInfo:
            return Make<CTokenInfoViewEx>(parent, std::move(facade));
        case ERightViewKind::Container:
            return Make<CContainerView>(parent, std::move(facade));
        case ERightViewKind::Key:
            return Make<CKeyViewEx>(parent, std::move(facade));
        case ERightViewKind::Certificate:
            return Make<CCertificateViewEx>(parent, std::move(facade));
    }
    return {};
}
