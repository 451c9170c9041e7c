// Watches the token world from a thread of its own and reports, per reader,
// every token that went in or came out (a swap is a removal then an
// insertion). Changes made by any process are seen: the thread wakes on
// inotify events of the world folder, and looks again every second besides.
#pragma once

#include <atomic>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>

namespace vkstore {

class TokenWorldWatcher {
public:
    enum class Change { Inserted, Removed };
    using Callback = std::function<void(const std::string& reader, Change change)>;

    explicit TokenWorldWatcher(std::filesystem::path root);
    ~TokenWorldWatcher();
    TokenWorldWatcher(const TokenWorldWatcher&) = delete;
    TokenWorldWatcher& operator=(const TokenWorldWatcher&) = delete;

    // Takes the present state as the starting point and starts the thread;
    // false when it runs already.
    bool Start(Callback callback);
    // Stops and joins the thread; no callback runs after it returns.
    void Stop();
    bool Running() const { return m_thread.joinable(); }

private:
    // reader name -> "uuid#insertion", empty when no token sits in it
    using Snapshot = std::map<std::string, std::string>;

    Snapshot Read() const;
    void Run();
    void Compare(const Snapshot& now);

    std::filesystem::path m_root;
    Callback m_callback;
    Snapshot m_last;
    std::thread m_thread;
    int m_wakeFd[2] = {-1, -1};
    std::mutex m_startStop;
};

}  // namespace vkstore
