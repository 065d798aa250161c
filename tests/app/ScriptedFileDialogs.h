#pragma once

#include <QString>
#include <deque>
#include <optional>
#include <vector>

#include "app/widgets/FileDialogs.h"

namespace qm::test {

// File dialogs that answer from a script and record what they were asked. A dialog the script
// did not expect is cancelled and counted, so the test sees it.
class ScriptedFileDialogs : public app::FileDialogs {
public:
    // The next open or save dialog returns path (none: the user cancels).
    void AnswerOpen(std::optional<QString> path) { m_open.push_back(std::move(path)); }
    void AnswerSave(std::optional<QString> path) { m_save.push_back(std::move(path)); }

    std::optional<QString> OpenFile(QWidget* /*parent*/,
                                    const app::FileDialogRequest& request) override {
        openRequests.push_back(request);
        return Next(m_open);
    }
    std::optional<QString> SaveFile(QWidget* /*parent*/,
                                    const app::FileDialogRequest& request) override {
        saveRequests.push_back(request);
        return Next(m_save);
    }

    std::vector<app::FileDialogRequest> openRequests;
    std::vector<app::FileDialogRequest> saveRequests;
    int unexpected = 0;

private:
    std::optional<QString> Next(std::deque<std::optional<QString>>& answers) {
        if (answers.empty()) {
            ++unexpected;
            return std::nullopt;
        }
        std::optional<QString> answer = std::move(answers.front());
        answers.pop_front();
        return answer;
    }

    std::deque<std::optional<QString>> m_open;
    std::deque<std::optional<QString>> m_save;
};

}  // namespace qm::test
