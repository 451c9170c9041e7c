// A static object that is built on first use and never destroyed, so that it stays usable from
// any other static object's destructor.
#pragma once

#include <new>
#include <utility>

namespace SDP::__Helpers {

template <class T>
class CNoDestroy {
public:
    template <class... Args>
    explicit CNoDestroy(Args&&... args) {
        ::new (static_cast<void*>(m_storage)) T(std::forward<Args>(args)...);
    }
    CNoDestroy(const CNoDestroy&) = delete;
    CNoDestroy& operator=(const CNoDestroy&) = delete;

    T& Get() { return *std::launder(reinterpret_cast<T*>(m_storage)); }

private:
    alignas(T) unsigned char m_storage[sizeof(T)];
};

}  // namespace SDP::__Helpers
