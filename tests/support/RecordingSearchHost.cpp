#include "support/RecordingSearchHost.h"

namespace qm::test {

void RecordingSearchHost::Record(std::string line) {
    m_log.push_back(std::move(line));
    if (m_abortCondition && !m_pendingAbort && m_abortCondition(*this)) {
        m_pendingAbort = true;
    }
}

void RecordingSearchHost::Yield() {
    ++m_yields;
    if (m_onYield) {
        m_onYield();
    }
    if (m_abortAfterYields >= 0 && m_yields >= m_abortAfterYields) {
        m_pendingAbort = true;
    }
    Record("Yield");
    if (m_pendingAbort) {
        m_abort = true;
    }
}

bool RecordingSearchHost::AbortRequested() const {
    ++m_abortQueries;
    return m_abort;
}

void RecordingSearchHost::SetStepState(engine::SearchStep step, engine::StepState state) {
    m_steps[step] = state;
    m_stepHistory.emplace_back(step, state);
    Record("Step " + std::to_string(static_cast<int>(step)) + " " + engine::StepStateText(state));
}

void RecordingSearchHost::SetCounter(engine::Counter counter, std::int64_t value) {
    m_counters[counter].push_back(value);
    Record("Counter " + std::to_string(static_cast<int>(counter)) + " = " + std::to_string(value));
}

void RecordingSearchHost::SetStatusText(const std::string& markup) {
    m_statusTexts.push_back(markup);
    if (m_abortOnPrefix && markup.starts_with(m_abortPrefix)) {
        m_pendingAbort = true;
    }
    Record("Status " + markup);
}

void RecordingSearchHost::SetStatusPath(std::string_view markupPrefix, std::string_view path) {
    std::string text = std::string(markupPrefix) + std::string(path);
    m_statusPaths.push_back({std::string(markupPrefix), std::string(path)});
    m_statusTexts.push_back(text);
    if (m_abortOnPrefix && text.starts_with(m_abortPrefix)) {
        m_pendingAbort = true;
    }
    Record("Status " + text);
}

void RecordingSearchHost::ShowProgress(bool visible) {
    m_progressVisible = visible;
    m_progressVisibility.push_back(visible);
    Record(std::string("ShowProgress ") + (visible ? "1" : "0"));
}

void RecordingSearchHost::SetProgressDecorations(bool showBorderAndPercent) {
    m_decorations = showBorderAndPercent;
    m_decorationHistory.push_back(showBorderAndPercent);
    Record(std::string("Decorations ") + (showBorderAndPercent ? "1" : "0"));
}

void RecordingSearchHost::SetProgress(int percent) {
    m_progress.push_back(percent);
    Record("Progress " + std::to_string(percent));
}

void RecordingSearchHost::ReportSkipped(engine::Skipped what, std::string_view path,
                                        std::string_view reason) {
    m_skipped.push_back({what, std::string(path), std::string(reason)});
    Record("Skipped " + std::to_string(static_cast<int>(what)) + " " + std::string(path) + ": " +
           std::string(reason));
}

std::vector<std::string> RecordingSearchHost::SkippedPaths(engine::Skipped what) const {
    std::vector<std::string> paths;
    for (const SkippedItem& item : m_skipped) {
        if (item.what == what) {
            paths.push_back(item.path);
        }
    }
    return paths;
}

void RecordingSearchHost::AbortAfterYields(int yields) {
    m_abortAfterYields = yields;
}

void RecordingSearchHost::AbortOnStatusPrefix(std::string prefix) {
    m_abortPrefix = std::move(prefix);
    m_abortOnPrefix = true;
}

void RecordingSearchHost::AbortWhen(std::function<bool(const RecordingSearchHost&)> condition) {
    m_abortCondition = std::move(condition);
}

std::string RecordingSearchHost::LastStatusText() const {
    return m_statusTexts.empty() ? std::string() : m_statusTexts.back();
}

std::int64_t RecordingSearchHost::CounterValue(engine::Counter counter) const {
    const auto it = m_counters.find(counter);
    return it == m_counters.end() || it->second.empty() ? 0 : it->second.back();
}

std::vector<std::int64_t> RecordingSearchHost::CounterHistory(engine::Counter counter) const {
    const auto it = m_counters.find(counter);
    return it == m_counters.end() ? std::vector<std::int64_t>{} : it->second;
}

engine::StepState RecordingSearchHost::StepStateOf(engine::SearchStep step) const {
    const auto it = m_steps.find(step);
    return it == m_steps.end() ? engine::StepState::Pending : it->second;
}

}  // namespace qm::test
