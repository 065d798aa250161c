#include "cli/ConsoleSearchHost.h"

#include "cli/ScanCommand.h"
#include "platform/Console.h"
#include "results/ResultStatistics.h"

namespace qm::cli {

namespace {

constexpr auto kRedrawInterval = std::chrono::milliseconds(100);

const char* StepCaption(engine::SearchStep step) {
    switch (step) {
        case engine::SearchStep::FolderScan:
            return "Step 1 / 3: Folder Scan";
        case engine::SearchStep::FileScan:
            return "Step 2 / 3: File Scan";
        case engine::SearchStep::FileComparison:
            return "Step 3 / 3: File Comparison";
    }
    return "";
}

// Display width of UTF-8 text, counting every character as one column.
std::size_t Columns(const std::string& text) {
    std::size_t columns = 0;
    for (const char c : text) {
        columns += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }
    return columns;
}

// text cut to at most columns characters, never inside a UTF-8 sequence.
std::string CutToColumns(const std::string& text, std::size_t columns) {
    std::size_t seen = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
            if (seen == columns) {
                return text.substr(0, i);
            }
            ++seen;
        }
    }
    return text;
}

// path with its control characters written as \xNN: one name, one line.
std::string OneLine(std::string_view path) {
    std::string line;
    line.reserve(path.size());
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            constexpr const char* kHex = "0123456789ABCDEF";
            line += "\\x";
            line += kHex[byte >> 4];
            line += kHex[byte & 0xF];
        } else {
            line += c;
        }
    }
    return line;
}

}  // namespace

ConsoleSearchHost::ConsoleSearchHost(const std::atomic<bool>& abortFlag, std::FILE* out,
                                     bool showProgress, const platform::Locale& locale)
    : m_abortFlag(abortFlag), m_out(out), m_showProgress(showProgress), m_locale(locale) {}

void ConsoleSearchHost::Yield() {
    MaybeDraw();
}

bool ConsoleSearchHost::AbortRequested() const {
    return m_abortFlag.load(std::memory_order_relaxed);
}

void ConsoleSearchHost::SetStepState(engine::SearchStep step, engine::StepState state) {
    if (state == engine::StepState::InProgress) {
        m_step = step;
        m_percent = -1;
    }
    MaybeDraw();
}

void ConsoleSearchHost::SetCounter(engine::Counter counter, std::int64_t value) {
    switch (counter) {
        case engine::Counter::FoldersScanned:
            m_foldersScanned = value;
            break;
        case engine::Counter::FoldersIgnored:
            m_foldersIgnored = value;
            break;
        case engine::Counter::FilesScanned:
            m_filesScanned = value;
            break;
        case engine::Counter::FilesIgnored:
            m_filesIgnored = value;
            break;
    }
    MaybeDraw();
}

// The status texts name the folder or file at hand; a one-line display has no room for them.
void ConsoleSearchHost::SetStatusText(const std::string&) {}
void ConsoleSearchHost::SetStatusPath(std::string_view, std::string_view) {}

void ConsoleSearchHost::ShowProgress(bool visible) {
    if (!visible) {
        m_percent = -1;
    }
    MaybeDraw();
}

void ConsoleSearchHost::SetProgressDecorations(bool) {}

void ConsoleSearchHost::SetProgress(int percent) {
    m_percent = percent < 0 ? 0 : (percent > 100 ? 100 : percent);
    MaybeDraw();
}

void ConsoleSearchHost::ReportSkipped(engine::Skipped what, std::string_view path,
                                      std::string_view reason) {
    if (what == engine::Skipped::SearchFolder) {
        m_unlistedSearchFolders.push_back({std::string(path), std::string(reason)});
        return;
    }
    if (!m_nameSkipped) {
        return;
    }
    std::string line = std::string(kProgramName) + ": ";
    switch (what) {
        case engine::Skipped::Folder:
            line += "cannot list folder \"" + OneLine(path) + "\": " + std::string(reason);
            break;
        case engine::Skipped::PseudoFolder:
            line += "skipped folder \"" + OneLine(path) + "\": pseudo file system (" +
                    std::string(reason) + ")";
            break;
        case engine::Skipped::UnreadableFile:
        case engine::Skipped::SearchFolder:
            line += "cannot read \"" + OneLine(path) + "\": " + std::string(reason);
            break;
    }
    line += '\n';
    ClearProgress();
    std::fputs(line.c_str(), m_out);
    std::fflush(m_out);
}

std::string ConsoleSearchHost::ProgressLine() const {
    std::string line = StepCaption(m_step);
    line += "  Folders Scanned: " + results::FormatCount(m_foldersScanned, m_locale);
    line += "  Files Scanned: " + results::FormatCount(m_filesScanned, m_locale);
    line += "  Files Ignored: " + results::FormatCount(m_filesIgnored, m_locale);
    line += "  Folders Ignored: " + results::FormatCount(m_foldersIgnored, m_locale);
    if (m_percent >= 0) {
        line += "  " + std::to_string(m_percent) + "%";
    }
    return line;
}

void ConsoleSearchHost::MaybeDraw() {
    if (!m_showProgress) {
        return;
    }
    const auto now = std::chrono::steady_clock::now();
    if (m_drawn && now - m_lastDraw < kRedrawInterval) {
        return;
    }
    m_lastDraw = now;

    std::string line = ProgressLine();
    // A line longer than the terminal would wrap, and the carriage return could not reach its
    // start again.
    if (const int columns = platform::TerminalColumns(m_out); columns > 1) {
        const auto width = static_cast<std::size_t>(columns - 1);
        if (Columns(line) > width) {
            line = CutToColumns(line, width);
        }
    }
    std::fputs("\r\033[K", m_out);
    std::fputs(line.c_str(), m_out);
    std::fflush(m_out);
    m_drawn = true;
}

void ConsoleSearchHost::ClearProgress() {
    if (!m_drawn) {
        return;
    }
    std::fputs("\r\033[K", m_out);
    std::fflush(m_out);
    m_drawn = false;
}

}  // namespace qm::cli
