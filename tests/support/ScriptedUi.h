// A scripted user interface for tests: installs itself process-wide for its lifetime, records
// every message box, and answers each with the next scripted answer (or as nobody watching
// would: No to a question, OK otherwise). What happens while a box is up (another process, the
// window's own events) can be run from inside the box before it answers.
#pragma once

#include <atomic>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "program/app/MenuModel.h"
#include "program/ui/IUserInterface.h"

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

    // Run inside every box, after it is recorded and before it answers; empty: none.
    void SetWhileShown(std::function<void(const Box&)> action) {
        std::lock_guard lock(m_mutex);
        m_whileShown = std::move(action);
    }

    int MessageBox(const std::wstring& text, const std::wstring& caption, UINT type) override {
        std::function<void(const Box&)> whileShown;
        {
            std::lock_guard lock(m_mutex);
            m_boxes.push_back(Box{text, caption, type});
            whileShown = m_whileShown;
        }
        if (whileShown) {
            whileShown(Box{text, caption, type});
        }
        std::lock_guard lock(m_mutex);
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

    struct Popup {
        CMenu menu;
        int x = 0;
        int y = 0;
    };

    UINT SetCursor(UINT cursorId) override {
        std::lock_guard lock(m_mutex);
        const UINT previous = m_cursor;
        m_cursor = cursorId;
        m_cursors.push_back(cursorId);
        return previous;
    }
    // The cursor shown now and every cursor set, in order.
    UINT Cursor() const {
        std::lock_guard lock(m_mutex);
        return m_cursor;
    }
    std::vector<UINT> Cursors() const {
        std::lock_guard lock(m_mutex);
        return m_cursors;
    }

    void SetNextMenuChoice(UINT commandId) {
        std::lock_guard lock(m_mutex);
        m_menuChoices.push_back(commandId);
    }
    UINT TrackPopupMenu(const CMenu& menu, int screenX, int screenY) override {
        std::lock_guard lock(m_mutex);
        m_popups.push_back(Popup{menu, screenX, screenY});
        if (m_menuChoices.empty()) {
            return 0;
        }
        const UINT choice = m_menuChoices.front();
        m_menuChoices.pop_front();
        return choice;
    }
    std::vector<Popup> Popups() const {
        std::lock_guard lock(m_mutex);
        return m_popups;
    }

    // Nothing answers as a cancelled dialog. As in the window, an answer that fails the
    // request's check or that its accept hook refuses keeps the dialog open for the next one.
    void SetNextFile(std::optional<SFileDialogResult> answer) {
        std::lock_guard lock(m_mutex);
        m_files.push_back(std::move(answer));
    }
    // Run when a file dialog closes on a file, after its check and accept hook; empty: none.
    void SetOnFileChosen(std::function<void()> action) {
        std::lock_guard lock(m_mutex);
        m_onFileChosen = std::move(action);
    }
    std::optional<SFileDialogResult> FileDialog(const SFileDialogRequest& request) override {
        std::function<void()> onChosen;
        {
            std::lock_guard lock(m_mutex);
            m_fileRequests.push_back(request);
            onChosen = m_onFileChosen;
        }
        for (;;) {
            std::optional<SFileDialogResult> answer;
            {
                std::lock_guard lock(m_mutex);
                if (m_files.empty()) {
                    return std::nullopt;
                }
                answer = std::move(m_files.front());
                m_files.pop_front();
            }
            if (!answer ||
                ((!request.check || request.check(answer->path)) &&
                 (!request.accept || request.accept(answer->path, answer->filterIndex)))) {
                if (answer && onChosen) {
                    onChosen();
                }
                return answer;
            }
        }
    }
    std::vector<SFileDialogRequest> FileRequests() const {
        std::lock_guard lock(m_mutex);
        return m_fileRequests;
    }

    // A scripted answer of a wizard page: the buttons pressed, then the values typed over the
    // page's own, then how the page is left. As in the window, text past an edit's limit is
    // refused with the limit message and cut, and values that the page's check refuses are
    // shown in a message box and keep the page open for the next answer.
    struct PageAnswer {
        int endCode = IDOK;
        std::map<UINT, std::wstring> texts;
        std::map<UINT, bool> checks;
        std::vector<UINT> buttons;
    };
    // Nothing more to answer cancels the page.
    void SetNextPage(PageAnswer answer) {
        std::lock_guard lock(m_mutex);
        m_pages.push_back(std::move(answer));
    }
    // Run inside every page before it answers; empty: none.
    void SetWhilePageShown(std::function<void(const SWizardPageRequest&)> action) {
        std::lock_guard lock(m_mutex);
        m_whilePageShown = std::move(action);
    }
    SWizardPageResult RunWizardPage(const SWizardPageRequest& request) override {
        std::function<void(const SWizardPageRequest&)> whileShown;
        {
            std::lock_guard lock(m_mutex);
            m_pageRequests.push_back(request);
            m_trail.push_back(PageMark(request.messageId));
            whileShown = m_whilePageShown;
        }
        if (whileShown) {
            whileShown(request);
        }
        for (;;) {
            PageAnswer answer;
            {
                std::lock_guard lock(m_mutex);
                if (m_pages.empty()) {
                    return {};
                }
                answer = std::move(m_pages.front());
                m_pages.pop_front();
            }
            SWizardPageResult result;
            result.values = request.values;
            for (UINT button : answer.buttons) {
                if (request.onButton) {
                    request.onButton(button, result.values);
                }
            }
            for (auto& [id, text] : answer.texts) {
                const auto limit = request.limits.find(id);
                if (limit != request.limits.end() && std::cmp_greater(text.size(), limit->second)) {
                    MessageBox(request.limitMessage, L"", MB_ICONWARNING);
                    text.resize(static_cast<std::size_t>(limit->second));
                }
                result.values.texts[id] = text;
            }
            for (const auto& [id, checked] : answer.checks) {
                result.values.checks[id] = checked;
            }
            result.endCode = answer.endCode;
            if (answer.endCode == IDOK && request.check) {
                if (const auto refusal = request.check(result.values)) {
                    MessageBox(*refusal, L"", MB_ICONWARNING);
                    continue;
                }
            }
            return result;
        }
    }
    std::vector<SWizardPageRequest> PageRequests() const {
        std::lock_guard lock(m_mutex);
        return m_pageRequests;
    }
    // The message ids of the pages shown (0 for a page without message), progress pages
    // marked by a leading '~', in order: PageMark and ProgressMark of each.
    std::vector<std::string> PageTrail() const {
        std::lock_guard lock(m_mutex);
        return m_trail;
    }

    static std::string PageMark(UINT messageId) { return std::to_string(messageId); }
    static std::string ProgressMark(UINT messageId) { return "~" + std::to_string(messageId); }

    class ProgressPage final : public IProgressPage {
    public:
        explicit ProgressPage(ScriptedUi& ui) : m_ui(ui) { m_ui.m_progressUp = true; }
        ~ProgressPage() override { m_ui.m_progressUp = false; }
        ProgressPage(const ProgressPage&) = delete;
        ProgressPage& operator=(const ProgressPage&) = delete;

    private:
        ScriptedUi& m_ui;
    };
    // Run when a progress page comes up, before the work behind it; empty: none.
    void SetWhenProgressShown(std::function<void(const SWizardPageRequest&)> action) {
        std::lock_guard lock(m_mutex);
        m_whenProgressShown = std::move(action);
    }
    std::unique_ptr<IProgressPage> ShowProgressPage(const SWizardPageRequest& request) override {
        std::function<void(const SWizardPageRequest&)> action;
        {
            std::lock_guard lock(m_mutex);
            m_trail.push_back(ProgressMark(request.messageId));
            action = m_whenProgressShown;
        }
        if (action) {
            action(request);
        }
        return std::make_unique<ProgressPage>(*this);
    }
    bool ProgressUp() const { return m_progressUp; }

    // The work runs on a thread of its own, as in the window.
    void RunOffWindowThread(const std::function<void()>& work) override {
        std::thread worker(work);
        worker.join();
    }

private:
    IUserInterface* m_previous;
    mutable std::mutex m_mutex;
    std::deque<int> m_answers;
    std::vector<Box> m_boxes;
    std::function<void(const Box&)> m_whileShown;
    UINT m_cursor = IDC_ARROW;
    std::vector<UINT> m_cursors;
    std::deque<UINT> m_menuChoices;
    std::vector<Popup> m_popups;
    std::deque<std::optional<SFileDialogResult>> m_files;
    std::function<void()> m_onFileChosen;
    std::vector<SFileDialogRequest> m_fileRequests;
    std::deque<PageAnswer> m_pages;
    std::function<void(const SWizardPageRequest&)> m_whilePageShown;
    std::function<void(const SWizardPageRequest&)> m_whenProgressShown;
    std::vector<SWizardPageRequest> m_pageRequests;
    std::vector<std::string> m_trail;
    std::atomic<bool> m_progressUp{false};
};

}  // namespace vktest
