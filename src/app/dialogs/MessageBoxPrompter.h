#pragma once

#include <QPointer>
#include <QWidget>

#include "foundation/Prompter.h"

namespace qm::app {

// Questions and notices as modal message boxes titled "Quillmere" over parent.
class MessageBoxPrompter : public foundation::Prompter {
public:
    explicit MessageBoxPrompter(QWidget* parent = nullptr) : m_parent(parent) {}
    bool Ask(const std::string& question) override;
    bool AskInformation(const std::string& question) override;
    void Inform(const std::string& message) override;
    void ShowError(const std::string& message) override;

private:
    QPointer<QWidget> m_parent;
};

// The text the general error display shows: the error's text with a full stop appended when its
// last character sorts after ".".
std::string ErrorDisplayText(const std::string& message);

}  // namespace qm::app
