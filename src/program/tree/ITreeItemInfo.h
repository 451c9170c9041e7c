// A node of the certificate tree: its label and icons, the commands that apply to it, what it
// shows in the right pane and how it produces its children. The tree view keeps one shared
// handle per item and asks the node.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/WinTypes.h"
#include "program/tree/CUpdateRequest.h"

namespace STreeItemInfo {

class ITreeItemInfo;
using ITreeItemInfoPtr = std::shared_ptr<ITreeItemInfo>;

// Nodes are always held through ITreeItemInfoPtr, so a command can keep its node alive while
// the tree it changes drops the item.
class ITreeItemInfo : public std::enable_shared_from_this<ITreeItemInfo> {
public:
    ITreeItemInfo() = default;
    ITreeItemInfo(const ITreeItemInfo&) = delete;
    ITreeItemInfo& operator=(const ITreeItemInfo&) = delete;

    // "ITreeItemInfo", "CRootItem", "CTokenItemInfo", "CContainerItemInfo" or
    // "CCertificateItemInfo".
    virtual std::string GetClassName() const { return "ITreeItemInfo"; }
    // The reader of the token the node belongs to; empty for the root and the placeholder.
    virtual std::wstring GetTokenName() const = 0;
    virtual std::wstring GetDisplayText() = 0;
    // Icon resource ids.
    virtual int GetImage() = 0;
    virtual int GetSelectedImage() = 0;
    virtual bool IsCommandEnabled(UINT commandId) = 0;
    virtual void OnCommand(UINT /*commandId*/) {}
    virtual void OnUpdate(const CUpdateRequest& /*request*/) {}
    virtual bool IsBold() = 0;
    virtual bool HasChilds() const = 0;
    virtual bool IsEmpty() const = 0;
    // Where the node stands in the tree view (the view's own opaque pointers).
    virtual void SetTreeItem(const void* tree, const void* item) = 0;
    // Shows the node's context menu at a point of the screen through the UI seam and routes the
    // chosen command through the frame; false when the node has none.
    virtual bool ShowContextMenu(int screenX, int screenY) = 0;
    // Appends newly created children in enumeration order.
    virtual bool EnumChilds(std::vector<ITreeItemInfoPtr>& out) = 0;
    // "" for the root, reader, reader\container, reader\container\Exchange|Signature.
    virtual std::wstring GetPath() const = 0;
    virtual ~ITreeItemInfo() = default;
};

}  // namespace STreeItemInfo
