#pragma once

#include <QElapsedTimer>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "engine/SearchHost.h"
#include "results/ResultsHost.h"

namespace qm::app {

class TfrmMain;

// What the search run and the results tree tell the main window, and how they let it breathe.
// One object serves both: the search stages and the fill of the tree run one after the other on
// the window's thread.
//
// Yield lets pending events run (user input included: the abort button, closing the window) at
// most every MinYieldIntervalMs; calls in between return at once. Counters and the status path
// are only remembered when they are set and drawn at the next real yield (or Flush), so a stage
// that reports every file never measures text for each of them.
class SearchWindowHost final : public engine::SearchHost, public results::ResultsHost {
public:
    static constexpr int kDefaultMinYieldIntervalMs = 10;
    // The width, in status-bar pixels, a status path is shortened to.
    static constexpr int kStatusPathWidth = 350;

    explicit SearchWindowHost(TfrmMain& window);

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
    int MinYieldInterval() const { return m_minYieldIntervalMs; }
    // Called at every real yield, before the events run; tests act "from inside" a search here.
    void SetYieldHook(std::function<void()> hook) { m_yieldHook = std::move(hook); }

    // Real yields so far (for the benchmark).
    std::int64_t RealYields() const { return m_realYields; }

private:
    TfrmMain& m_window;
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
