// Scripted answers for the modal services (message boxes, file dialogs, popup
// menus), so tests run them without a person; and a log of what was asked.
// UI thread.
#pragma once
#include <deque>
#include <optional>
#include <string>
#include <vector>

class CDialogScript {
public:
    struct Answer {
        int nResult = 0;      // IDYES, IDOK, IDCANCEL, or a menu command (0: none)
        std::wstring strPath; // the chosen file of a file dialog
    };
    void Push(int nResult, std::wstring path = {}) {
        m_answers.push_back({nResult, std::move(path)});
    }
    bool IsEmpty() const { return m_answers.empty(); }
    std::optional<Answer> Take() {
        if (m_answers.empty()) return std::nullopt;
        Answer a = m_answers.front();
        m_answers.pop_front();
        return a;
    }
    void Clear() {
        m_answers.clear();
        m_asked.clear();
        m_proposed.clear();
    }
    // Every prompt shown: message-box texts, dialog filters, menu item lists.
    void Record(std::wstring what) { m_asked.push_back(std::move(what)); }
    const std::vector<std::wstring>& Asked() const { return m_asked; }
    // The file each file dialog started from ("" for none; a folder ends in '/').
    void Propose(std::wstring path) { m_proposed.push_back(std::move(path)); }
    const std::vector<std::wstring>& Proposed() const { return m_proposed; }

private:
    std::deque<Answer> m_answers;
    std::vector<std::wstring> m_asked;
    std::vector<std::wstring> m_proposed;
};
