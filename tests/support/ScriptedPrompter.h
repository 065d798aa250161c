#pragma once

#include <deque>
#include <functional>
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
        if (onAsk) {
            onAsk(question);
        }
        questions.push_back(question);
        if (m_answers.empty()) {
            ++unexpected;
            return false;
        }
        const bool yes = m_answers.front();
        m_answers.pop_front();
        return yes;
    }
    // Recorded as a question too, and besides as one asked as information.
    bool AskInformation(const std::string& question) override {
        informationQuestions.push_back(question);
        return Ask(question);
    }
    void Inform(const std::string& message) override { messages.push_back(message); }
    void ShowError(const std::string& message) override { errors.push_back(message); }

    bool ScriptUsedUp() const { return m_answers.empty(); }
    void Reset() {
        m_answers.clear();
        questions.clear();
        messages.clear();
        errors.clear();
        informationQuestions.clear();
        unexpected = 0;
    }

    std::vector<std::string> questions;
    std::vector<std::string> informationQuestions;
    // Runs when a question is asked, before it is answered: what the window shows at that moment.
    std::function<void(const std::string&)> onAsk;
    std::vector<std::string> messages;
    std::vector<std::string> errors;
    int unexpected = 0;

private:
    std::deque<bool> m_answers;
};

}  // namespace qm::test
