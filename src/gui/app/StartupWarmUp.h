// Start-up work done on a second thread while the window thread brings Qt up and builds the
// window. First the font configuration, which needs nothing; once the Qt application object
// exists, the measurements of the fonts the first window's forms use; then the cryptographic
// library and the connections to the token store, which the first filling of the tree reads. The
// window thread waits for the font configuration before it measures any text; for the rest it
// waits only if it asks before the answer is there (and opens its own connections then).
#pragma once

#include <condition_variable>
#include <mutex>
#include <thread>

class CStartupWarmUp {
public:
    CStartupWarmUp();
    // Stops the thread before its font measurements if Qt never started, and joins it.
    ~CStartupWarmUp();
    CStartupWarmUp(const CStartupWarmUp&) = delete;
    CStartupWarmUp& operator=(const CStartupWarmUp&) = delete;

    // The Qt application object exists and the interface language is set.
    void QtStarted();
    void WaitForFonts();

private:
    enum class EQt { NotYet, Started, Gone };

    void Run();
    void SetQt(EQt state);

    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_fontsReady = false;
    EQt m_qt = EQt::NotYet;
    std::thread m_thread;  // last: started once the state above exists
};
