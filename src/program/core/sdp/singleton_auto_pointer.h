// Reference-counted holder of a process-wide T: the first holder creates the T, the last one
// destroys it, and a holder made afterwards creates a fresh one.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

namespace SDP {

template <class T>
class singleton_auto_pointer {
public:
    singleton_auto_pointer() : m_instance(Acquire()) {}
    singleton_auto_pointer(const singleton_auto_pointer&) : m_instance(Acquire()) {}
    singleton_auto_pointer& operator=(const singleton_auto_pointer&) { return *this; }
    virtual ~singleton_auto_pointer() { ReleaseInstance(); }

    T* get() const { return m_instance; }
    T* operator->() const { return m_instance; }
    T& operator*() const { return *m_instance; }

private:
    // Creation and destruction are serialised, so holders made on different threads never
    // build two instances nor destroy one that another holder has just taken.
    static T* Acquire() {
        std::lock_guard<std::mutex> lock(s_mutex);
        if (s_instance == nullptr) {
            s_instance = new T();
        }
        s_references.fetch_add(1);
        return s_instance;
    }

    static void ReleaseInstance() {
        std::lock_guard<std::mutex> lock(s_mutex);
        if (s_references.fetch_sub(1) == 1) {
            // The holders own the instance together; the last one deletes it.
            delete s_instance;
            s_instance = nullptr;
        }
    }

    T* m_instance;

    // Constant-initialised and trivially destructible, so usable throughout static
    // construction and destruction whatever the order of the translation units.
    static inline T* s_instance = nullptr;
    static inline std::atomic<std::int32_t> s_references{0};
    static inline std::mutex s_mutex;
};

}  // namespace SDP
