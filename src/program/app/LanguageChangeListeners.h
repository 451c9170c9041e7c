// Who hears of a change of the interface language. The GUI subscribes the
// delivery of WM_LANGUAGE_CHANGED to its top-level windows; tests subscribe
// to see what was sent. Window thread only.
#pragma once

#include <functional>
#include <memory>

// Unsubscribes when destroyed; a listener removed during a delivery is not
// called after its removal.
class CLanguageChangeSubscription {
public:
    CLanguageChangeSubscription() = default;
    explicit CLanguageChangeSubscription(std::function<void()> listener);
    ~CLanguageChangeSubscription();
    CLanguageChangeSubscription(CLanguageChangeSubscription&&) noexcept;
    CLanguageChangeSubscription& operator=(CLanguageChangeSubscription&&) noexcept;
    CLanguageChangeSubscription(const CLanguageChangeSubscription&) = delete;
    CLanguageChangeSubscription& operator=(const CLanguageChangeSubscription&) = delete;

    struct Entry;

private:
    void Reset();
    std::shared_ptr<Entry> m_entry;
};

// Calls every subscribed listener, in the order of subscription.
void SendLanguageChanged();
