#include "program/app/LanguageChangeListeners.h"

#include <algorithm>
#include <mutex>
#include <vector>

struct CLanguageChangeSubscription::Entry {
    std::function<void()> listener;
    bool active = true;
};

namespace {

struct Listeners {
    std::mutex lock;
    std::vector<std::shared_ptr<CLanguageChangeSubscription::Entry>> entries;
};

Listeners& TheListeners() {
    static Listeners listeners;
    return listeners;
}

}  // namespace

CLanguageChangeSubscription::CLanguageChangeSubscription(std::function<void()> listener)
    : m_entry(std::make_shared<Entry>(Entry{std::move(listener)})) {
    auto& all = TheListeners();
    std::lock_guard guard(all.lock);
    all.entries.push_back(m_entry);
}

CLanguageChangeSubscription::~CLanguageChangeSubscription() {
    Reset();
}

CLanguageChangeSubscription::CLanguageChangeSubscription(
    CLanguageChangeSubscription&& other) noexcept
    : m_entry(std::move(other.m_entry)) {}

CLanguageChangeSubscription& CLanguageChangeSubscription::operator=(
    CLanguageChangeSubscription&& other) noexcept {
    if (this != &other) {
        Reset();
        m_entry = std::move(other.m_entry);
    }
    return *this;
}

void CLanguageChangeSubscription::Reset() {
    if (!m_entry) {
        return;
    }
    auto& all = TheListeners();
    std::lock_guard guard(all.lock);
    m_entry->active = false;
    std::erase(all.entries, m_entry);
    m_entry.reset();
}

void SendLanguageChanged() {
    std::vector<std::shared_ptr<CLanguageChangeSubscription::Entry>> snapshot;
    {
        auto& all = TheListeners();
        std::lock_guard guard(all.lock);
        snapshot = all.entries;
    }
    for (const auto& entry : snapshot) {
        if (entry->active && entry->listener) {
            entry->listener();
        }
    }
}
