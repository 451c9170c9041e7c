// Link container of one message type: the set of partners on the other side of its links.
//
// A sender's container holds the receivers attached to it and a receiver's container holds the
// senders' containers it is attached to; every link is an entry on both sides, and whichever side
// is destroyed first removes both entries.
//
// All link sets of one message type and threading model are guarded by one shared lock rather
// than by a lock per container: a sender and its receiver may then be destroyed at the same time
// on two threads without either of them following a pointer to the other while it is freed.
// The shared lock is held only inside this class, never while a receiver runs.
#pragma once

#include "program/core/sdp/CNoDestroy.h"
#include "program/core/sdp/IReceiver.h"

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <set>
#include <vector>

namespace SDP::SOBSERVER::__Helpers {

template <class Interface, class ThreadModel>
class CTypedPtrContainer;

template <class Msg, class ThreadModel>
class CTypedPtrContainer<IReceiver<Msg>, ThreadModel> : public IReceiver<Msg> {
    using Guard = typename ThreadModel::Guard;

public:
    CTypedPtrContainer() : m_id(Shared().nextId.fetch_add(1, std::memory_order_relaxed)) {}
    // Virtual, so a receiver owned through a base pointer is unlinked as a whole.
    virtual ~CTypedPtrContainer() { Unlink(); }
    CTypedPtrContainer(const CTypedPtrContainer&) = delete;
    CTypedPtrContainer& operator=(const CTypedPtrContainer&) = delete;

    // Links the partner to this container; false when they were linked already.
    bool Link(CTypedPtrContainer* partner) {
        if (partner == nullptr || partner == this) {
            return false;
        }
        Guard guard(Shared().lock);
        if (!m_links.insert(partner).second) {
            return false;
        }
        partner->m_links.insert(this);
        return true;
    }

    // Calls receive(msg) on every partner linked when the call begins, in the set's order.
    // Partners linked later are not called; partners unlinked (destroyed) since then are skipped.
    void Deliver(const Msg& msg) {
        for (const Entry& entry : Snapshot()) {
            if (entry.link == nullptr || !Pin(entry)) {
                continue;
            }
            CPinned pinned(*entry.link);
            entry.link->receive(msg);
        }
    }

    std::size_t LinkCount() const {
        Guard guard(Shared().lock);
        return m_links.size();
    }

protected:
    // Removes every link of this container. On the multi-threaded model it then waits until no
    // other thread is inside this container's receive, so a receiver that calls this first in
    // its destructor is never called while its parts are being destroyed.
    void Unlink() noexcept {
        CShared& shared = Shared();
        Guard guard(shared.lock);
        for (CTypedPtrContainer* partner : m_links) {
            partner->m_links.erase(this);
        }
        m_links.clear();
        if constexpr (ThreadModel::kMultiThreaded) {
            if (m_pins > 0) {
                m_waiting = true;
                // The shared lock is held exactly once here, so the wait releases it fully.
                shared.unpinned.wait(shared.lock, [this] { return m_pins == 0; });
                m_waiting = false;
            }
        }
    }

private:
    struct CShared {
        typename ThreadModel::LockType lock;
        std::condition_variable_any unpinned;
        std::atomic<std::uint64_t> nextId{1};
    };

    // A partner named by a copy of the set. The identity tells a partner from a new container
    // that was built at the same address after the copy was taken.
    struct Entry {
        CTypedPtrContainer* link;
        std::uint64_t id;
    };

    // Marks a partner as being inside receive, for the length of the call.
    class CPinned {
    public:
        explicit CPinned(CTypedPtrContainer& link) : m_link(link) {}
        ~CPinned() {
            CShared& shared = Shared();
            Guard guard(shared.lock);
            if (--m_link.m_pins == 0 && m_link.m_waiting) {
                shared.unpinned.notify_all();
            }
        }
        CPinned(const CPinned&) = delete;
        CPinned& operator=(const CPinned&) = delete;

    private:
        CTypedPtrContainer& m_link;
    };

    static CShared& Shared() {
        static SDP::__Helpers::CNoDestroy<CShared> shared;
        return shared.Get();
    }

    std::vector<Entry> Snapshot() const {
        Guard guard(Shared().lock);
        std::vector<Entry> copy;
        copy.reserve(m_links.size());
        for (CTypedPtrContainer* link : m_links) {
            copy.push_back(Entry{link, link->m_id});
        }
        return copy;
    }

    // True, and the partner pinned, when it is still linked to this container.
    bool Pin(const Entry& entry) const {
        Guard guard(Shared().lock);
        if (!m_links.contains(entry.link) || entry.link->m_id != entry.id) {
            return false;
        }
        ++entry.link->m_pins;
        return true;
    }

    std::set<CTypedPtrContainer*> m_links;
    const std::uint64_t m_id;
    int m_pins = 0;  // guarded by the shared lock
    bool m_waiting = false;
};

}  // namespace SDP::SOBSERVER::__Helpers
