#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "foundation/ProgressHost.h"

namespace qm::engine {

enum class SearchStep : std::uint8_t { FolderScan = 1, FileScan = 2, FileComparison = 3 };

// Shown as "Pending", "In Progress", "Done" (StepStateText).
enum class StepState : std::uint8_t { Pending, InProgress, Done };

enum class Counter : std::uint8_t { FoldersScanned, FoldersIgnored, FilesScanned, FilesIgnored };

const char* StepStateText(StepState state);

// What a search left out against the user's wish, and why (ReportSkipped).
enum class Skipped : std::uint8_t {
    Folder,          // a folder that cannot be listed; counted with the ignored folders
    SearchFolder,    // a search folder that cannot be listed at all; counted the same way
    PseudoFolder,    // a folder on a pseudo file system (proc, sysfs, ...): not walked
    UnreadableFile,  // a file that cannot be read, or changed, while it was compared
};

// Everything a search tells the user interface besides progress and status: step states,
// counters and the path being scanned.
class SearchHost : public foundation::ProgressHost {
public:
    virtual void SetStepState(SearchStep step, StepState state) = 0;
    virtual void SetCounter(Counter counter, std::int64_t value) = 0;

    // Status text made of a markup prefix and a path (any bytes) that the host shortens to fit
    // its status area, e.g. ("<B>Scanning Folder:</B> ", "/home/a/b/"). The path is never markup.
    virtual void SetStatusPath(std::string_view markupPrefix, std::string_view path) = 0;

    // Names one folder or file that the search left out; reason is a short text ("Permission
    // denied", "proc", "changed while it was read"). The counters count them as well, so a host
    // that only shows counts may ignore this; the default does.
    virtual void ReportSkipped(Skipped what, std::string_view path, std::string_view reason) {
        (void)what;
        (void)path;
        (void)reason;
    }
};

// Does nothing and never aborts.
class NullSearchHost : public SearchHost {
public:
    void Yield() override {}
    bool AbortRequested() const override { return false; }
    void SetStepState(SearchStep, StepState) override {}
    void SetCounter(Counter, std::int64_t) override {}
    void SetStatusText(const std::string&) override {}
    void SetStatusPath(std::string_view, std::string_view) override {}
    void ShowProgress(bool) override {}
    void SetProgressDecorations(bool) override {}
    void SetProgress(int) override {}
};

}  // namespace qm::engine
