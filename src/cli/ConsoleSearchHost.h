#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "engine/SearchHost.h"
#include "platform/Locale.h"

namespace qm::cli {

// The scanner's search host: the abort flag that Ctrl+C sets, a one-line progress display on a
// terminal, redrawn in place at most ten times a second, and one line for every folder and file
// that the search had to leave out.
class ConsoleSearchHost : public engine::SearchHost {
public:
    // abortFlag is set from the SIGINT handler; it must outlive the host. Progress goes to out
    // only when showProgress is true (the caller decides: a terminal, not --quiet).
    ConsoleSearchHost(const std::atomic<bool>& abortFlag, std::FILE* out, bool showProgress,
                      const platform::Locale& locale);

    void Yield() override;
    bool AbortRequested() const override;
    void SetStepState(engine::SearchStep step, engine::StepState state) override;
    void SetCounter(engine::Counter counter, std::int64_t value) override;
    void SetStatusText(const std::string& markup) override;
    void SetStatusPath(std::string_view markupPrefix, std::string_view path) override;
    void ShowProgress(bool visible) override;
    void SetProgressDecorations(bool showBorderAndPercent) override;
    void SetProgress(int percent) override;
    // Writes "quillmere-scan: cannot list folder "PATH": REASON" and the like to out, unless
    // SetNameSkipped(false). A search folder that cannot be listed is kept for the caller instead
    // (UnlistedSearchFolders): it makes the whole run fail.
    void ReportSkipped(engine::Skipped what, std::string_view path,
                       std::string_view reason) override;

    void SetNameSkipped(bool nameSkipped) { m_nameSkipped = nameSkipped; }
    struct UnlistedFolder {
        std::string path;
        std::string reason;
    };
    const std::vector<UnlistedFolder>& UnlistedSearchFolders() const {
        return m_unlistedSearchFolders;
    }

    // Clears the progress line, if one was drawn, so that the next text starts on a clean line.
    void ClearProgress();

    // The progress line as it would be drawn now (without the terminal controls).
    std::string ProgressLine() const;

private:
    void MaybeDraw();

    const std::atomic<bool>& m_abortFlag;
    std::FILE* m_out;
    bool m_showProgress;
    const platform::Locale& m_locale;
    engine::SearchStep m_step = engine::SearchStep::FolderScan;
    std::int64_t m_foldersScanned = 0;
    std::int64_t m_foldersIgnored = 0;
    std::int64_t m_filesScanned = 0;
    std::int64_t m_filesIgnored = 0;
    int m_percent = -1;  // -1: no percentage shown
    bool m_drawn = false;
    bool m_nameSkipped = true;
    std::vector<UnlistedFolder> m_unlistedSearchFolders;
    std::chrono::steady_clock::time_point m_lastDraw{};
};

}  // namespace qm::cli
