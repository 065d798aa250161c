#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/dialogs/FileChooser.h"

namespace qm::test {

// Answers the window's file dialogs from a script and records what each dialog was asked to
// show. A dialog the script did not expect is cancelled and counted.
class ScriptedFileChooser : public app::FileChooser {
public:
    struct Asked {
        bool save = false;
        app::FileChoice choice;
    };

    // The next dialog returns path.
    void Choose(std::string path) { m_answers.emplace_back(std::move(path)); }
    // The next dialog is cancelled.
    void Cancel() { m_answers.emplace_back(std::nullopt); }

    std::optional<std::string> ChooseSaveFile(const app::FileChoice& choice) override {
        return Answer(true, choice);
    }
    std::optional<std::string> ChooseOpenFile(const app::FileChoice& choice) override {
        return Answer(false, choice);
    }

    bool ScriptUsedUp() const { return m_answers.empty(); }

    std::vector<Asked> asked;
    int unexpected = 0;
    // Runs when a dialog opens, before it answers: what the window shows at that moment.
    std::function<void()> onAsk;

private:
    std::optional<std::string> Answer(bool save, const app::FileChoice& choice) {
        asked.push_back({save, choice});
        if (onAsk) {
            onAsk();
        }
        if (m_answers.empty()) {
            ++unexpected;
            return std::nullopt;
        }
        std::optional<std::string> answer = std::move(m_answers.front());
        m_answers.pop_front();
        return answer;
    }

    std::deque<std::optional<std::string>> m_answers;
};

}  // namespace qm::test
