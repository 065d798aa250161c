#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "engine/SearchHost.h"
#include "results/ResultsHost.h"

namespace qm::app {

class MarkupStatusBar;
class QtTextMeasurer;
class SearchSummaryPanel;

// Where the long work of the main window (a search, filling and marking the results tree) reports
// and lets the window breathe: the step states and counters go to the search summary panel,
// progress and status texts to the status bar. The search stages and the fill of the tree run one
// after the other on the window's thread, so one object serves both.
//
// Yield lets pending events run (user input included: the abort button, closing the window) at
// most every MinYieldInterval milliseconds; calls in between return at once. Counters and the
// status path are only remembered when they are set and drawn at the next real yield (or Flush),
// so a stage that reports every file never measures text for each of them.
class WindowHost final : public QObject, public engine::SearchHost, public results::ResultsHost {
    Q_OBJECT
public:
    static constexpr int kDefaultMinYieldIntervalMs = 10;
    // The width, in status-bar pixels, a status path is shortened to.
    static constexpr int kStatusPathWidth = 350;

    // abortRequested is the window's flag; the panel, the status bar and the flag must outlive
    // the host.
    WindowHost(SearchSummaryPanel& summary, MarkupStatusBar& statusBar, const bool& abortRequested,
               QObject* parent = nullptr);
    ~WindowHost() override;

    // Both interfaces.
    void Yield() override;
    bool AbortRequested() const override;
    void SetStatusText(const std::string& markup) override;
    void ShowProgress(bool visible) override;
    void SetProgressDecorations(bool showBorderAndPercent) override;
    void SetProgress(int percent) override;

    // engine::SearchHost
    void SetStepState(engine::SearchStep step, engine::StepState state) override;
    void SetCounter(engine::Counter counter, std::int64_t value) override;
    void SetStatusPath(std::string_view markupPrefix, std::string_view path) override;

    // results::ResultsHost
    void SetStatusTextWithLiteral(const std::string& markupBefore, const std::string& literal,
                                  const std::string& markupAfter) override;
    void SetMarkedFileCommandsEnabled(bool enabled) override;

    // Draws what is still pending (counters, status path) without letting events run.
    void Flush();

    // 0 makes every Yield a real one (tests step through a search that way).
    void SetMinYieldInterval(int milliseconds) { m_minYieldIntervalMs = milliseconds; }
    // Called at every real yield, before the events run; tests act "from inside" a search here.
    void SetYieldHook(std::function<void()> hook) { m_yieldHook = std::move(hook); }

    // Real yields so far (for the benchmark).
    std::int64_t RealYields() const { return m_realYields; }

signals:
    // The commands that act on marked files (delete, move) follow the marks.
    void MarkedFileCommandsEnabled(bool enabled);

private:
    SearchSummaryPanel& m_summary;
    MarkupStatusBar& m_statusBar;
    const bool& m_abortRequested;
    std::unique_ptr<QtTextMeasurer> m_measurer;
    QElapsedTimer m_sinceYield;
    int m_minYieldIntervalMs = kDefaultMinYieldIntervalMs;
    std::function<void()> m_yieldHook;
    std::int64_t m_realYields = 0;

    std::array<std::int64_t, 4> m_counters{};
    std::array<bool, 4> m_counterDirty{};
    bool m_pathPending = false;
    std::string m_pathPrefix;
    std::string m_path;
    int m_progress = -1;
};

}  // namespace qm::app
