// The frame of `vkcert-cli list`: no window, no status bar, no right pane; it only answers the
// show-containers choice and gives the nodes a message hub nobody listens to.
#pragma once

#include "program/tree/CTreeMessageHub.h"
#include "program/ui/CNullFrame.h"

namespace vkcli {

class ListFrame final : public CNullFrame {
public:
    explicit ListFrame(bool showContainers) : m_showContainers(showContainers) {}

    STreeItemInfo::CTreeMessageHub* MessageHub() override { return &m_hub; }
    bool ShowContainers() const override { return m_showContainers; }

private:
    bool m_showContainers;
    STreeItemInfo::CTreeMessageHub m_hub;
};

}  // namespace vkcli
