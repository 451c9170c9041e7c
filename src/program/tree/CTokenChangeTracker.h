// What the tree knows of the tokens against what the readers hold now: inserted, removed and
// swapped tokens are found, the tree pane is brought in line with them, and the selection
// stays where it was or moves to what is left of its path, shown afresh in the right pane.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "program/tree/CCertTree.h"
#include "program/tree/ITreePane.h"

namespace STreeItemInfo {

// Runs `synchronise`, then selects the node of the path selected before it, else the nearest
// ancestor left of that path, else the first top-level node. A node that stayed selected is
// shown again when `showAgain`; a newly selected one is shown by its selection.
void SynchroniseAndReselect(ITreePane& pane, const std::function<void()>& synchronise,
                            bool showAgain);

class CTokenChangeTracker {
public:
    // Notes each token's identity (ID, label and model) as the tree knows it now.
    void Note();
    // True when the readers or their tokens differ from what was noted.
    bool ChangedSinceNoted();
    // True when a token's login state differs from the one the tree read.
    bool LoginStatesChangedSinceRead();

    // A device change: the token level follows the readers, and the readers named, with those
    // whose token changed its identity, are read afresh down to their keys.
    void OnDevicesChanged(ITreePane& pane, std::vector<std::wstring> changedReaders);
    // Everything read afresh; the same path selected again.
    void Refresh(ITreePane& pane);

private:
    std::vector<CTokenInfo*> Tokens();
    std::map<std::wstring, std::wstring> ReadIdentities();

    SVKCERTTREE::CCertTreePtr m_tree;
    // Token identity per reader as last noted.
    std::map<std::wstring, std::wstring> m_identities;
};

}  // namespace STreeItemInfo
