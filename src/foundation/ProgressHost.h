#pragma once

#include <string>

namespace qm::foundation {

// What every long piece of core work (a search, filling the results tree, removing or moving
// files, loading a results file) tells the user interface, and the one thing it asks: is an abort
// requested. The window, the command-line scanner and the tests each provide one. Calls come from
// the thread that runs the work; an implementation may defer drawing until Yield().
class ProgressHost {
public:
    virtual ~ProgressHost() = default;

    // Lets pending user-interface events run. Cheap when called often: an implementation returns
    // at once when the last real yield was moments ago.
    virtual void Yield() = 0;
    virtual bool AbortRequested() const = 0;

    // Status panel text. May hold the markup tags "<B>", "</B>", "<BLINK>" and the like; every
    // other character is text.
    virtual void SetStatusText(const std::string& markup) = 0;

    // The progress area (status panel 0): shown or hidden, its decorations (border and percentage
    // text, on while a stage counts) and its whole percentage 0..100.
    virtual void ShowProgress(bool visible) = 0;
    virtual void SetProgressDecorations(bool showBorderAndPercent) = 0;
    virtual void SetProgress(int percent) = 0;
};

}  // namespace qm::foundation
