// The five senders of the tree messages, side by side; the main frame owns one, nodes and views
// reach it through the frame facade.
#pragma once

#include "program/core/sdp/CSender.h"
#include "program/core/sdp/SingleThreadedModel.h"
#include "program/tree/TreeMessages.h"

namespace STreeItemInfo {

// The tree messages live on the window thread only: the lock is a placeholder.
struct CNoLock {};
using CTreeThreadModel = SDP::STHREADS::SingleThreadedModel<CNoLock>;

template <class Msg>
using CTreeSender = SDP::SOBSERVER::CSender<Msg, CTreeThreadModel>;

struct CTreeMessageHub {
    CTreeSender<CItemChildsEnumingMsg> itemChildsEnuming;
    CTreeSender<CContainerItemInfoMsg> containerItemInfo;
    CTreeSender<CKeyMsg> key;
    CTreeSender<CTokenLevelUpdateNeededMsg> tokenLevelUpdateNeeded;
    CTreeSender<SFrameFacade::MESSAGES::CItemInTheTreeSelectedMsg> itemInTheTreeSelected;
};

}  // namespace STreeItemInfo
