// A scripted user interface for tests: installs itself process-wide for its lifetime, records
// every message box, and answers each with the next scripted answer (or as nobody watching
// would: No to a question, OK otherwise).
#pragma once

#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "ui/model/IUserInterface.h"

namespace vktest {

class ScriptedUi final : public IUserInterface {
public:
    struct Box {
        std::wstring text;
        std::wstring caption;
        UINT type = 0;
    };

    ScriptedUi() : m_previous(SetUserInterface(this)) {}
    ~ScriptedUi() override { SetUserInterface(m_previous); }
    ScriptedUi(const ScriptedUi&) = delete;
    ScriptedUi& operator=(const ScriptedUi&) = delete;

    void SetNextAnswer(int answer) {
        std::lock_guard lock(m_mutex);
        m_answers.push_back(answer);
    }

    int MessageBox(const std::wstring& text, const std::wstring& caption, UINT type) override {
        std::lock_guard lock(m_mutex);
        m_boxes.push_back(Box{text, caption, type});
        if (m_answers.empty()) {
            return UnattendedAnswer(type);
        }
        const int answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    }

    std::vector<Box> Boxes() const {
        std::lock_guard lock(m_mutex);
        return m_boxes;
    }

private:
    IUserInterface* m_previous;
    mutable std::mutex m_mutex;
    std::deque<int> m_answers;
    std::vector<Box> m_boxes;
};

}  // namespace vktest
