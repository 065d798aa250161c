#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/SearchHost.h"

namespace qm::test {

// A search host that records every call, for tests. It can also play the user who presses
// Abort: a request made by a trigger becomes visible to AbortRequested() at the next Yield(),
// just as a click on the Abort button is only handled while the window lets events run.
// RequestAbortNow() sets it at once.
class RecordingSearchHost : public engine::SearchHost {
public:
    struct StatusPath {
        std::string prefix;
        std::string path;
    };
    struct SkippedItem {
        engine::Skipped what;
        std::string path;
        std::string reason;
    };

    // SearchHost
    void Yield() override;
    bool AbortRequested() const override;
    void SetStepState(engine::SearchStep step, engine::StepState state) override;
    void SetCounter(engine::Counter counter, std::int64_t value) override;
    void SetStatusText(const std::string& markup) override;
    void SetStatusPath(std::string_view markupPrefix, std::string_view path) override;
    void ShowProgress(bool visible) override;
    void SetProgressDecorations(bool showBorderAndPercent) override;
    void SetProgress(int percent) override;
    void ReportSkipped(engine::Skipped what, std::string_view path,
                       std::string_view reason) override;

    // Abort triggers.
    void AbortAfterYields(int yields);  // abort requested from the yields-th Yield on
    // The first status text (SetStatusText, or prefix + path of SetStatusPath) starting with
    // prefix asks for an abort.
    void AbortOnStatusPrefix(std::string prefix);
    // Asked after every recorded call; true asks for an abort.
    void AbortWhen(std::function<bool(const RecordingSearchHost&)> condition);
    void RequestAbortNow() { m_abort = true; }
    // Runs at every Yield (before abort requests are taken over): lets a test change the tree
    // while the search is "handling events".
    void OnYield(std::function<void()> action) { m_onYield = std::move(action); }

    // What was recorded.
    int Yields() const { return m_yields; }
    int AbortQueries() const { return m_abortQueries; }
    // Every status text in order; a status path appears as prefix + path.
    const std::vector<std::string>& StatusTexts() const { return m_statusTexts; }
    const std::vector<StatusPath>& StatusPaths() const { return m_statusPaths; }
    // Every ReportSkipped call, in order.
    const std::vector<SkippedItem>& SkippedItems() const { return m_skipped; }
    // The paths reported as what, in order.
    std::vector<std::string> SkippedPaths(engine::Skipped what) const;
    std::string LastStatusText() const;
    // Last value given to the counter; 0 when it was never set.
    std::int64_t CounterValue(engine::Counter counter) const;
    // Every value given to the counter, in order.
    std::vector<std::int64_t> CounterHistory(engine::Counter counter) const;
    // Last state of a step; Pending when it was never set.
    engine::StepState StepStateOf(engine::SearchStep step) const;
    const std::vector<std::pair<engine::SearchStep, engine::StepState>>& StepHistory() const {
        return m_stepHistory;
    }
    bool ProgressVisible() const { return m_progressVisible; }
    const std::vector<bool>& ProgressVisibility() const { return m_progressVisibility; }
    bool ProgressDecorations() const { return m_decorations; }
    const std::vector<bool>& ProgressDecorationHistory() const { return m_decorationHistory; }
    int ProgressValue() const { return m_progress.empty() ? 0 : m_progress.back(); }
    const std::vector<int>& ProgressHistory() const { return m_progress; }
    // One line per call in order, such as "Yield", "Counter 2 = 5", "Status <B>Scanning...",
    // "Step 1 In Progress", "Progress 40", "ShowProgress 1", "Decorations 0": for checks of
    // the order of events.
    const std::vector<std::string>& Log() const { return m_log; }

private:
    void Record(std::string line);

    int m_yields = 0;
    mutable int m_abortQueries = 0;
    bool m_abort = false;
    bool m_pendingAbort = false;
    int m_abortAfterYields = -1;
    std::string m_abortPrefix;
    bool m_abortOnPrefix = false;
    std::function<bool(const RecordingSearchHost&)> m_abortCondition;
    std::function<void()> m_onYield;

    std::vector<std::string> m_statusTexts;
    std::vector<StatusPath> m_statusPaths;
    std::vector<SkippedItem> m_skipped;
    std::map<engine::Counter, std::vector<std::int64_t>> m_counters;
    std::map<engine::SearchStep, engine::StepState> m_steps;
    std::vector<std::pair<engine::SearchStep, engine::StepState>> m_stepHistory;
    bool m_progressVisible = false;
    std::vector<bool> m_progressVisibility;
    bool m_decorations = false;
    std::vector<bool> m_decorationHistory;
    std::vector<int> m_progress;
    std::vector<std::string> m_log;
};

}  // namespace qm::test
