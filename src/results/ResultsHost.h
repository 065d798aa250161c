#pragma once

#include <string>

namespace qm::results {

// What the results tree tells the window while it is filled and marked, and the one thing it asks
// (is an abort requested, read when a fill starts). The window, the command-line scanner and the
// tests each provide one. Every call comes from the thread that owns the tree.
class ResultsHost {
public:
    virtual ~ResultsHost() = default;

    // Lets pending user-interface events run; cheap when called often.
    virtual void Yield() = 0;
    virtual bool AbortRequested() const = 0;

    // Status panel text; may hold the markup "<B>", "</B>", "<BLINK>", "</BLINK>".
    virtual void SetStatusText(const std::string& markup) = 0;
    // Status panel text with one literal piece between two markup pieces: literal (a file name,
    // any bytes) is shown as it stands and never read as markup.
    virtual void SetStatusTextWithLiteral(const std::string& markupBefore,
                                          const std::string& literal,
                                          const std::string& markupAfter) = 0;

    // The progress area: shown or hidden, its decorations (border and percentage) and its whole
    // percentage 0..100.
    virtual void ShowProgress(bool visible) = 0;
    virtual void SetProgressDecorations(bool showBorderAndPercent) = 0;
    virtual void SetProgress(int percent) = 0;

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
