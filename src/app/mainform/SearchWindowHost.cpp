#include "app/mainform/SearchWindowHost.h"

#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QToolButton>

#include "app/mainform/MainForm.h"
#include "app/widgets/MarkupStatusBar.h"
#include "foundation/Globals.h"

namespace qm::app {

namespace {

QString Markup(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Paths and file names are the file system's bytes; Qt shows them through its file-name codec.
QString Literal(std::string_view bytes) {
    return QFile::decodeName(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

}  // namespace

SearchWindowHost::SearchWindowHost(TfrmMain& window) : m_window(window) {
    m_sinceYield.start();
}

void SearchWindowHost::Yield() {
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

bool SearchWindowHost::AbortRequested() const {
    return m_window.AbortRequested;
}

void SearchWindowHost::SetStatusText(const std::string& markup) {
    m_pathPending = false;
    m_window.SetStatusText(Markup(markup));
}

void SearchWindowHost::SetStatusTextWithLiteral(const std::string& markupBefore,
                                                const std::string& literal,
                                                const std::string& markupAfter) {
    m_pathPending = false;
    m_window.SetStatusText(QList<StatusPart>{
        {Markup(markupBefore), false}, {Literal(literal), true}, {Markup(markupAfter), false}});
}

void SearchWindowHost::SetStatusPath(std::string_view markupPrefix, std::string_view path) {
    m_pathPrefix.assign(markupPrefix);
    m_path.assign(path);
    m_pathPending = true;
}

void SearchWindowHost::ShowProgress(bool visible) {
    m_window.ShowProgressArea(visible);
}

void SearchWindowHost::SetProgressDecorations(bool showBorderAndPercent) {
    QProgressBar* bar = m_window.SB->ProgressBar();
    bar->setTextVisible(showBorderAndPercent);
}

void SearchWindowHost::SetProgress(int percent) {
    if (percent == m_progress) {
        return;
    }
    m_progress = percent;
    m_window.SB->SetProgress(percent);
}

void SearchWindowHost::SetStepState(engine::SearchStep step, engine::StepState state) {
    QLabel* label = step == engine::SearchStep::FolderScan ? m_window.Step1Lbl
                    : step == engine::SearchStep::FileScan ? m_window.Step2Lbl
                                                           : m_window.Step3Lbl;
    label->setText(QString::fromLatin1(engine::StepStateText(state)));
}

void SearchWindowHost::SetCounter(engine::Counter counter, std::int64_t value) {
    const auto index = static_cast<std::size_t>(counter);
    if (index < m_counters.size()) {
        m_counters[index] = value;
        m_counterDirty[index] = true;
    }
}

void SearchWindowHost::SetMarkedFileCommandsEnabled(bool enabled) {
    m_window.DeleteMarkedBtn->setEnabled(enabled);
    m_window.MoveToFolderBtn->setEnabled(enabled);
}

void SearchWindowHost::Flush() {
    QLabel* const labels[] = {m_window.FoldersScannedLbl, m_window.FoldersIgnoredLbl,
                              m_window.FilesScannedLbl, m_window.FilesIgnoredLbl};
    static_assert(static_cast<int>(engine::Counter::FoldersScanned) == 0 &&
                  static_cast<int>(engine::Counter::FoldersIgnored) == 1 &&
                  static_cast<int>(engine::Counter::FilesScanned) == 2 &&
                  static_cast<int>(engine::Counter::FilesIgnored) == 3);
    for (std::size_t i = 0; i < m_counters.size(); ++i) {
        if (m_counterDirty[i]) {
            m_counterDirty[i] = false;
            labels[i]->setText(QString::number(m_counters[i]));
        }
    }
    if (m_pathPending) {
        m_pathPending = false;
        const std::string shortened =
            foundation::ShortenPathToWidth(m_path, m_window.StatusMeasurer(), kStatusPathWidth);
        m_window.SetStatusText(
            QList<StatusPart>{{Markup(m_pathPrefix), false}, {Literal(shortened), true}});
    }
}

}  // namespace qm::app
