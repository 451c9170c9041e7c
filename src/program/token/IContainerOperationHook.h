// What a container command tells the window around its operation. The tree's container node
// passes one that sends CContainerItemInfoMsg with the code and shows the status text.
#pragma once

#include <string>

namespace SVKCERT {

// Operation codes: start and end of deleting, setting and removing the default mark.
inline constexpr int kDeleteContainerStart = 1;
inline constexpr int kDeleteContainerEnd = 2;
inline constexpr int kSetDefaultStart = 3;
inline constexpr int kSetDefaultEnd = 4;
inline constexpr int kRemoveDefaultStart = 5;
inline constexpr int kRemoveDefaultEnd = 6;

class IContainerOperationHook {
public:
    virtual ~IContainerOperationHook() = default;
    virtual void OnOperationStart(int code, const std::wstring& statusText) = 0;
    virtual void OnOperationEnd(int code) = 0;
};

}  // namespace SVKCERT
