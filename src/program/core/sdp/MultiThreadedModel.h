// Threading model of objects reached from several threads: the lock is a re-entrant lock with
// lock() and unlock(), the guard holds it for its scope.
#pragma once

namespace SDP::STHREADS {

template <class Lock>
struct MultiThreadedModel {
    using LockType = Lock;
    static constexpr bool kMultiThreaded = true;

    class Guard {
    public:
        explicit Guard(LockType& lock) : m_lock(lock) { m_lock.lock(); }
        ~Guard() { m_lock.unlock(); }
        Guard(const Guard&) = delete;
        Guard& operator=(const Guard&) = delete;

    private:
        LockType& m_lock;
    };
};

}  // namespace SDP::STHREADS
