// Threading model of objects that live on one thread: the lock is a placeholder, the guard does
// nothing.
#pragma once

namespace SDP::STHREADS {

template <class Lock>
struct SingleThreadedModel {
    using LockType = Lock;
    static constexpr bool kMultiThreaded = false;

    class Guard {
    public:
        explicit Guard(LockType&) noexcept {}
        Guard(const Guard&) = delete;
        Guard& operator=(const Guard&) = delete;
    };
};

}  // namespace SDP::STHREADS
