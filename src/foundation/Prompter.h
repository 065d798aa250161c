#pragma once

#include <string>

namespace qm::foundation {

// Questions and notices for the user. The GUI shows message boxes; tests answer from a script.
class Prompter {
public:
    virtual ~Prompter() = default;
    // A question with Yes and No; true only for Yes.
    virtual bool Ask(const std::string& question) = 0;
    // A question shown as an information message, with Yes and No; true only for Yes. Where a
    // prompter makes no such difference it is Ask.
    virtual bool AskInformation(const std::string& question) { return Ask(question); }
    // An information message with OK.
    virtual void Inform(const std::string& message) = 0;
    // An error message with OK (the general error display).
    virtual void ShowError(const std::string& message) = 0;
};

}  // namespace qm::foundation
