#include "ui/views/RightViewFactory.h"

#include <QLabel>

namespace {

// Shows nothing yet; every fill is ignored.
class CBlankView final : public QLabel, public IRightView {
public:
    CBlankView(ERightViewKind kind, QWidget* parent) : QLabel(parent), m_kind(kind) {}
    ERightViewKind Kind() const override { return m_kind; }

private:
    ERightViewKind m_kind;
};

}  // namespace

CRightViewWidget CreateRightView(ERightViewKind kind, QWidget* parent, CFrameFacadePtr) {
    auto* view = new CBlankView(kind, parent);
    return {view, view};
}
