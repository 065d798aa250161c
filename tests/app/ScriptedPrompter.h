#pragma once

#include <deque>
#include <string>
#include <vector>

#include "foundation/Prompter.h"

namespace qm::test {

// Answers questions from a script and records everything the window said. A question that the
// script did not expect is answered No and recorded, so the test sees it.
class ScriptedPrompter : public foundation::Prompter {
public:
    void Answer(bool yes) { m_answers.push_back(yes); }

    bool Ask(const std::string& question) override {
        questions.push_back(question);
        if (m_answers.empty()) {
            ++unexpected;
            return false;
        }
        const bool yes = m_answers.front();
        m_answers.pop_front();
        return yes;
    }
    void Inform(const std::string& message) override { messages.push_back(message); }
    void ShowError(const std::string& message) override { errors.push_back(message); }

    bool ScriptUsedUp() const { return m_answers.empty(); }
    void Reset() {
        m_answers.clear();
        questions.clear();
        messages.clear();
        errors.clear();
        unexpected = 0;
    }

    std::vector<std::string> questions;
    std::vector<std::string> messages;
    std::vector<std::string> errors;
    int unexpected = 0;

private:
    std::deque<bool> m_answers;
};

}  // namespace qm::test
