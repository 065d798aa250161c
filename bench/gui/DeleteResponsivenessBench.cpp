// How responsive the main window stays while it sends many marked files to the trash.
//
//   delete_responsiveness_bench [folder] [sets] [runs]
//
// Each run makes sets pairs of equal small files under folder/files (10,000 by default), has the
// real window search them ("Contents Only"), marks every copy with Mark All and clicks
// DeleteMarkedBtn, answering Yes. The trash is folder/data/Trash (XDG_DATA_HOME), so nothing of
// the user's is touched. A 1 ms timer stands for the user's input: every gap between two of its
// ticks is time in which the window could not react. Reported: the time of the delete, the
// largest gap and the 99th percentile during it, how often the progress in panel 0 moved, and
// what the status bar said at the end.
#include <QApplication>
#include <QElapsedTimer>
#include <QProgressBar>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "Gaps.h"
#include "app/mainform/MainForm.h"
#include "app/results/DupeTreeModel.h"
#include "app/widgets/MarkupStatusBar.h"
#include "foundation/Prompter.h"
#include "results/ResultTree.h"

namespace {

namespace fs = std::filesystem;

// Answers every question Yes and says nothing.
class YesPrompter : public qm::foundation::Prompter {
public:
    bool Ask(const std::string&) override { return true; }
    void Inform(const std::string& message) override { last = message; }
    void ShowError(const std::string& message) override { last = message; }
    std::string last;
};

// sets pairs of files; the two files of a set hold the same bytes, no two sets the same.
void MakeTree(const fs::path& files, int sets) {
    fs::remove_all(files);
    for (int set = 0; set < sets; ++set) {
        const std::string bytes = "set " + std::to_string(set) + std::string(200, 'x');
        for (int copy = 0; copy < 2; ++copy) {
            const fs::path folder =
                files / ("f" + std::to_string(copy)) / ("d" + std::to_string(set % 100));
            fs::create_directories(folder);
            std::ofstream(folder / ("file" + std::to_string(set) + ".txt"), std::ios::binary)
                << bytes;
        }
    }
}

using qm::bench::Gaps;
using qm::bench::Summarise;

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const fs::path folder = argc > 1 ? argv[1] : "/tmp/qm-delete-bench";
    const int sets = argc > 2 ? std::atoi(argv[2]) : 10'000;
    const int runs = argc > 3 ? std::atoi(argv[3]) : 3;
    const fs::path files = folder / "files";
    const fs::path data = folder / "data";
    // The window's file operations read it at each use.
    setenv("XDG_DATA_HOME", data.c_str(), 1);

    std::printf("%d sets of 2 files under %s, trash %s/Trash\n", sets, files.c_str(), data.c_str());
    std::printf("%-6s %10s %10s %10s %8s %10s  %s\n", "run", "delete ms", "max gap", "p99 gap",
                "ticks", "progress", "status");

    for (int run = 1; run <= runs; ++run) {
        MakeTree(files, sets);
        fs::remove_all(data);
        fs::create_directories(data);

        YesPrompter prompter;
        qm::app::TfrmMain window(&prompter);
        window.show();
        QCoreApplication::processEvents();
        window.AddSearchPath(files.string() + "/");
        window.ClearAllFiltersBtnClick();
        for (std::size_t row = 0; row < window.FilterTable().Count(); ++row) {
            if (window.FilterTable().Row(row).mask == "*.*") {
                window.FilterSG->item(static_cast<int>(row), 0)->setCheckState(Qt::Checked);
            }
        }
        window.SetFCMItemIndex(0);
        window.DisableSSItem->setChecked(false);
        window.SearchBtnClick();
        window.MarkAllBtnClick();
        if (!window.DeleteMarkedBtn->isEnabled()) {
            std::fprintf(stderr, "nothing to delete: %s\n", prompter.last.c_str());
            return 1;
        }

        QElapsedTimer clock;
        std::vector<double> gaps;
        qint64 lastTick = -1;
        int progressMoves = 0;
        int lastProgress = -1;
        QTimer ticker;
        ticker.setTimerType(Qt::PreciseTimer);
        ticker.setInterval(1);
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            const qint64 now = clock.nsecsElapsed();
            if (lastTick >= 0) {
                gaps.push_back(static_cast<double>(now - lastTick) / 1e6);
            }
            lastTick = now;
            const int progress = window.SB->ProgressBar()->value();
            if (window.SB->Panel0Width() > 0 && progress != lastProgress) {
                lastProgress = progress;
                ++progressMoves;
            }
        });
        clock.start();
        ticker.start();
        window.DeleteMarkedBtnClick();
        const qint64 end = clock.nsecsElapsed();
        ticker.stop();

        std::size_t removed = 0;
        for (const auto& node : window.DupeModel()->Tree().Nodes()) {
            removed += node.entry.Status == qm::results::EntryStatus::Removed ? 1 : 0;
        }
        const Gaps summary = Summarise(gaps);
        std::printf("%-6d %10.1f %10.1f %10.1f %8zu %10d  %s (%zu rows Removed)\n", run,
                    static_cast<double>(end) / 1e6, summary.maxMs, summary.p99Ms, summary.ticks,
                    progressMoves, window.SB->PlainText().toUtf8().constData(), removed);
        std::fflush(stdout);
        if (removed != static_cast<std::size_t>(sets)) {
            std::fprintf(stderr, "expected %d rows Removed\n", sets);
            return 1;
        }
    }
    fs::remove_all(folder);
    return 0;
}
