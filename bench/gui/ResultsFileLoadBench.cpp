// How long the main window takes to load a large results file through "Load Previous Search
// Results", and how responsive it stays meanwhile; then how long saving that tree back takes.
//
//   results_file_load_bench [rows] [runs]      (default 1000000 rows, 3 runs)
//
// Run with QT_QPA_PLATFORM=offscreen on a machine without a display. A 1 ms timer stands for the
// user's input: every gap between two of its ticks is time in which the window could not react.
// Reported per run: the time from the command until the window is idle again with the tree filled
// and the statistics shown, the largest and the 99th-percentile gap, the largest gap in each stage
// of the load (reading the file, filling the tree, statistics), and the peak resident memory.
#include <sys/resource.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "app/dialogs/FileChooser.h"
#include "app/mainform/MainForm.h"
#include "app/mainform/ResultsFileCommands.h"
#include "app/mainform/WindowHost.h"
#include "app/results/DupeTreeModel.h"
#include "engine/FileRecords.h"
#include "foundation/Prompter.h"
#include "storage/ResultsFile.h"

namespace {

// Answers every question Yes and says nothing.
class SilentPrompter : public qm::foundation::Prompter {
public:
    bool Ask(const std::string&) override { return true; }
    void Inform(const std::string& message) override { last = message; }
    void ShowError(const std::string& message) override {
        last = message;
        failed = true;
    }
    std::string last;
    bool failed = false;
};

// Every dialog answers path.
class FixedChooser : public qm::app::FileChooser {
public:
    explicit FixedChooser(std::string path) : m_path(std::move(path)) {}
    std::optional<std::string> ChooseSaveFile(const qm::app::FileChoice&) override {
        return m_path;
    }
    std::optional<std::string> ChooseOpenFile(const qm::app::FileChoice&) override {
        return m_path;
    }
    void SetPath(std::string path) { m_path = std::move(path); }

private:
    std::string m_path;
};

// Sets of two to four files under eight extensions, with paths as long as a real collection's.
std::vector<qm::storage::ResultsFileRow> Rows(int count) {
    const char* extensions[] = {"JPG", "PNG", "DOC", "PDF", "MP3", "TXT", "ZIP", "DAT"};
    std::vector<qm::storage::ResultsFileRow> rows;
    rows.reserve(static_cast<std::size_t>(count));
    int group = 0;
    for (int i = 0; i < count;) {
        ++group;
        const int setSize = 2 + group % 3;
        const int extension = (group / 1000) % 8;
        for (int k = 0; k < setSize && i < count; ++k, ++i) {
            std::string ext = extensions[extension];
            std::transform(ext.begin(), ext.end(), ext.begin(),
                           [](char c) { return static_cast<char>(c - 'A' + 'a'); });
            rows.push_back({qm::engine::GroupText(group),
                            "/home/user/collection/folder" + std::to_string(k) + "/sub" +
                                std::to_string(group % 97) + "/file" + std::to_string(group) + "." +
                                ext,
                            std::string("*.") + extensions[extension], 1000 + group,
                            "11/14/2023 10:13:20 PM"});
        }
    }
    return rows;
}

// Processor time of the whole process (every thread), user and system, in ms: unlike the wall
// time it does not grow when other programs share the processors.
double CpuMs() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

double PeakRssMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int rowCount = argc > 1 ? std::atoi(argv[1]) : 1000000;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 3;

    const std::string folder = QDir::tempPath().toStdString() + "/qm-results-file-bench";
    QDir().mkpath(QString::fromStdString(folder));
    const std::string source = folder + "/large.dat";
    const std::string saved = folder + "/saved.dat";
    {
        const std::vector<qm::storage::ResultsFileRow> rows = Rows(rowCount);
        qm::storage::WriteResultsFile(source, rows);
    }
    std::printf("results file of %d lines (%lld bytes), peak memory before the window %.1f MiB\n",
                rowCount, static_cast<long long>(QFileInfo(QString::fromStdString(source)).size()),
                PeakRssMiB());

    SilentPrompter prompter;
    FixedChooser chooser(source);
    qm::app::TfrmMain window(&prompter);
    window.SetFileChooser(&chooser);
    window.resize(1000, 700);
    window.show();
    QCoreApplication::processEvents();

    QElapsedTimer clock;
    std::vector<double> gaps;
    std::vector<int> gapStage;
    qint64 lastTick = -1;
    // The stage a gap ended in, from the status line: 0 reading, 1 filling, 2 statistics, 3 done.
    const auto stage = [&] {
        const QString text = window.StatusText();
        if (text == QLatin1String(qm::app::kLoadingDataFileText)) {
            return 0;
        }
        if (text == QLatin1String(qm::app::kCalculatingLoadedInfoText)) {
            return 2;
        }
        if (text == QLatin1String(qm::app::kSearchResultsLoadedText)) {
            return 3;
        }
        return 1;
    };
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(1);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        if (lastTick >= 0) {
            gaps.push_back(static_cast<double>(now - lastTick) / 1e6);
            gapStage.push_back(stage());
        }
        lastTick = now;
    });

    std::printf("%-6s %10s %10s %10s %10s %8s %10s   %s\n", "run", "total ms", "cpu ms", "max gap",
                "p99 gap", "ticks", "nodes", "max gap by stage: read / fill / statistics / after");
    for (int run = 0; run < runs; ++run) {
        gaps.clear();
        gapStage.clear();
        lastTick = -1;
        window.SearchHost().SetMinYieldInterval(qm::app::WindowHost::kDefaultMinYieldIntervalMs);
        const double cpuBefore = CpuMs();
        clock.start();
        ticker.start();
        window.LoadPreviousSearchResults1Click();
        QCoreApplication::processEvents();  // the repaint of the filled tree belongs to the load
        const qint64 end = clock.nsecsElapsed();
        const double cpu = CpuMs() - cpuBefore;
        ticker.stop();
        if (prompter.failed) {
            std::fprintf(stderr, "load failed: %s\n", prompter.last.c_str());
            return 1;
        }
        double stageMax[4] = {0, 0, 0, 0};
        for (std::size_t i = 0; i < gaps.size(); ++i) {
            stageMax[gapStage[i]] = std::max(stageMax[gapStage[i]], gaps[i]);
        }
        std::vector<double> sorted = gaps;
        std::sort(sorted.begin(), sorted.end());
        const double maxGap = sorted.empty() ? 0 : sorted.back();
        const double p99 =
            sorted.empty() ? 0 : sorted[std::min(sorted.size() - 1, sorted.size() * 99 / 100)];
        std::printf("%-6d %10.1f %10.1f %10.1f %10.1f %8zu %10zu   %.1f / %.1f / %.1f / %.1f\n",
                    run + 1, static_cast<double>(end) / 1e6, cpu, maxGap, p99, gaps.size(),
                    window.DupeModel()->Tree().NodeCount(), stageMax[0], stageMax[1], stageMax[2],
                    stageMax[3]);
        std::fflush(stdout);
    }
    std::printf("peak memory after the loads %.1f MiB\n", PeakRssMiB());

    // Saving the loaded tree back (the Yes of the overwrite question is given).
    chooser.SetPath(saved);
    QElapsedTimer saveClock;
    const double cpuBeforeSave = CpuMs();
    saveClock.start();
    window.SaveResultsBtnClick();
    const double saveMs = static_cast<double>(saveClock.nsecsElapsed()) / 1e6;
    const double saveCpuMs = CpuMs() - cpuBeforeSave;
    if (prompter.failed) {
        std::fprintf(stderr, "save failed: %s\n", prompter.last.c_str());
        return 1;
    }
    std::printf("save of the loaded tree %.1f ms, cpu %.1f ms (%lld bytes)\n", saveMs, saveCpuMs,
                static_cast<long long>(QFileInfo(QString::fromStdString(saved)).size()));
    QFile::remove(QString::fromStdString(source));
    QFile::remove(QString::fromStdString(saved));
    return 0;
}
