// Registry of singletons created on first use and destroyed together at exit, in an order that
// honours the usage counts by which one singleton declares that it needs another.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace SDP::SINGLETON {

template <class ThreadModel>
class CSingletonBase {
    using Guard = typename ThreadModel::Guard;

public:
    class CSingletonInstanceBase {
    public:
        virtual ~CSingletonInstanceBase() = default;
        CSingletonInstanceBase(const CSingletonInstanceBase&) = delete;
        CSingletonInstanceBase& operator=(const CSingletonInstanceBase&) = delete;

    protected:
        explicit CSingletonInstanceBase(const void* type) : m_type(type) {}

    private:
        friend class CSingletonBase;
        const void* const m_type;
        std::int32_t m_usage = 0;  // other singletons that need this one
    };

    template <class T>
    class CSingletonInstance final : public CSingletonInstanceBase {
    public:
        CSingletonInstance() : CSingletonInstanceBase(TypeKey<T>()) {}
        T& Object() { return m_object; }

    private:
        T m_object;
    };

    CSingletonBase() = default;
    ~CSingletonBase() { Teardown(); }
    CSingletonBase(const CSingletonBase&) = delete;
    CSingletonBase& operator=(const CSingletonBase&) = delete;

    // The T of this registry, created and registered on first use. The T's constructor may ask
    // for other singletons: they are registered before it.
    template <class T>
    T& Instance() {
        Guard guard(m_lock);
        if (CSingletonInstance<T>* holder = Find<T>()) {
            return holder->Object();
        }
        auto holder = std::make_unique<CSingletonInstance<T>>();
        T& object = holder->Object();
        Register(std::move(holder));
        return object;
    }

    // Declares that a singleton needs T until the matching Release: T then outlives it at
    // teardown. A T not yet used is created here.
    template <class T>
    void AddRef() {
        Guard guard(m_lock);
        Instance<T>();
        ++Find<T>()->m_usage;
    }

    template <class T>
    void Release() {
        Guard guard(m_lock);
        if (CSingletonInstance<T>* holder = Find<T>()) {
            --holder->m_usage;
        }
    }

    // Usage count of T; -1 while T has no holder.
    template <class T>
    std::int32_t UsageCount() {
        Guard guard(m_lock);
        CSingletonInstance<T>* holder = Find<T>();
        return holder != nullptr ? holder->m_usage : -1;
    }

    std::size_t Size() {
        Guard guard(m_lock);
        return m_holders.size();
    }

    // Destroys every registered singleton: first, in passes from the last entry to the first,
    // those nobody needs any more (each destruction may release others, which a later entry of
    // the same pass or the next pass then finds free), then the rest from the last to the first.
    // The static destructor calls it too; calling it again does nothing.
    void Teardown() {
        Guard guard(m_lock);
        if (m_tearingDown) {
            return;
        }
        m_tearingDown = true;
        bool destroyed = true;
        while (destroyed && !m_holders.empty()) {
            destroyed = false;
            for (std::size_t i = m_holders.size(); i-- > 0;) {
                if (i < m_holders.size() && m_holders[i]->m_usage <= 0) {
                    DestroyAt(i);
                    destroyed = true;
                }
            }
        }
        while (!m_holders.empty()) {
            DestroyAt(m_holders.size() - 1);
        }
        m_tearingDown = false;
    }

private:
    template <class T>
    static const void* TypeKey() {
        static const char key = 0;
        return &key;
    }

    template <class T>
    CSingletonInstance<T>* Find() {
        for (const auto& holder : m_holders) {
            if (holder->m_type == TypeKey<T>()) {
                return static_cast<CSingletonInstance<T>*>(holder.get());
            }
        }
        return nullptr;
    }

    void Register(std::unique_ptr<CSingletonInstanceBase> holder) {
        Guard guard(m_lock);  // re-entrant: the caller holds it already
        m_holders.push_back(std::move(holder));
    }

    // The entry leaves the array (its place taken by the last entry) before its destructor
    // runs, so whatever the destructor asks of the registry sees a consistent array.
    void DestroyAt(std::size_t i) {
        std::unique_ptr<CSingletonInstanceBase> holder = std::move(m_holders[i]);
        if (i + 1 != m_holders.size()) {
            m_holders[i] = std::move(m_holders.back());
        }
        m_holders.pop_back();
        holder.reset();
    }

    typename ThreadModel::LockType m_lock;
    std::vector<std::unique_ptr<CSingletonInstanceBase>> m_holders;
    bool m_tearingDown = false;
};

}  // namespace SDP::SINGLETON
