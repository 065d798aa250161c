#include "app/mainform/WindowHost.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>

#include "app/mainform/SearchSummaryPanel.h"
#include "app/widgets/MarkupStatusBar.h"
#include "app/widgets/QtText.h"
#include "app/widgets/QtTextMeasurer.h"
#include "foundation/Globals.h"

namespace qm::app {

WindowHost::WindowHost(SearchSummaryPanel& summary, MarkupStatusBar& statusBar,
                       const bool& abortRequested, QObject* parent)
    : QObject(parent),
      m_summary(summary),
      m_statusBar(statusBar),
      m_abortRequested(abortRequested),
      m_measurer(std::make_unique<QtTextMeasurer>(statusBar.TextPanel()->font())) {
    m_sinceYield.start();
}

WindowHost::~WindowHost() = default;

void WindowHost::Yield() {
    if (m_minYieldIntervalMs > 0 && m_sinceYield.elapsed() < m_minYieldIntervalMs) {
        return;
    }
    ++m_realYields;
    Flush();
    if (m_yieldHook) {
        m_yieldHook();
    }
    QCoreApplication::processEvents();
    // The interval counts from the end of the events: a slow handler does not make the next
    // stretch of work shorter.
    m_sinceYield.restart();
}

bool WindowHost::AbortRequested() const {
    return m_abortRequested;
}

void WindowHost::SetStatusText(const std::string& markup) {
    m_pathPending = false;
    m_statusBar.SetText(Utf8Text(markup));
}

void WindowHost::SetStatusTextWithLiteral(const std::string& markupBefore,
                                          const std::string& literal,
                                          const std::string& markupAfter) {
    m_pathPending = false;
    m_statusBar.SetText(QList<StatusPart>{{Utf8Text(markupBefore), false},
                                          {PathText(literal), true},
                                          {Utf8Text(markupAfter), false}});
}

void WindowHost::SetStatusPath(std::string_view markupPrefix, std::string_view path) {
    m_pathPrefix.assign(markupPrefix);
    m_path.assign(path);
    m_pathPending = true;
}

void WindowHost::ShowProgress(bool visible) {
    m_statusBar.SetPanel0Width(visible ? MarkupStatusBar::kProgressWidth : 0);
}

void WindowHost::SetProgressDecorations(bool showBorderAndPercent) {
    m_statusBar.ProgressBar()->setTextVisible(showBorderAndPercent);
}

void WindowHost::SetProgress(int percent) {
    if (percent == m_progress) {
        return;
    }
    m_progress = percent;
    m_statusBar.SetProgress(percent);
}

void WindowHost::SetStepState(engine::SearchStep step, engine::StepState state) {
    m_summary.SetStepState(step, state);
}

void WindowHost::SetCounter(engine::Counter counter, std::int64_t value) {
    const auto index = static_cast<std::size_t>(counter);
    if (index < m_counters.size()) {
        m_counters[index] = value;
        m_counterDirty[index] = true;
    }
}

void WindowHost::SetMarkedFileCommandsEnabled(bool enabled) {
    emit MarkedFileCommandsEnabled(enabled);
}

void WindowHost::Flush() {
    for (std::size_t i = 0; i < m_counters.size(); ++i) {
        if (m_counterDirty[i]) {
            m_counterDirty[i] = false;
            m_summary.SetCounter(static_cast<engine::Counter>(i), m_counters[i]);
        }
    }
    if (m_pathPending) {
        m_pathPending = false;
        const std::string shortened =
            foundation::ShortenPathToWidth(m_path, *m_measurer, kStatusPathWidth);
        m_statusBar.SetText(
            QList<StatusPart>{{Utf8Text(m_pathPrefix), false}, {PathText(shortened), true}});
    }
}

}  // namespace qm::app
