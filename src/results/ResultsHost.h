#pragma once

#include <string>

#include "foundation/ProgressHost.h"

namespace qm::results {

// What the results tree tells the window while it is filled and marked, besides progress and
// status (the abort request is read when a fill starts). Every call comes from the thread that
// owns the tree.
class ResultsHost : public foundation::ProgressHost {
public:
    // Status panel text with one literal piece between two markup pieces: literal (a file name,
    // any bytes) is shown as it stands and never read as markup.
    virtual void SetStatusTextWithLiteral(const std::string& markupBefore,
                                          const std::string& literal,
                                          const std::string& markupAfter) = 0;

    // The commands that act on marked files (delete, move): enabled exactly when a file row is
    // checked.
    virtual void SetMarkedFileCommandsEnabled(bool enabled) = 0;
};

// Does nothing and never aborts.
class NullResultsHost : public ResultsHost {
public:
    void Yield() override {}
    bool AbortRequested() const override { return false; }
    void SetStatusText(const std::string&) override {}
    void SetStatusTextWithLiteral(const std::string&, const std::string&,
                                  const std::string&) override {}
    void ShowProgress(bool) override {}
    void SetProgressDecorations(bool) override {}
    void SetProgress(int) override {}
    void SetMarkedFileCommandsEnabled(bool) override {}
};

}  // namespace qm::results
