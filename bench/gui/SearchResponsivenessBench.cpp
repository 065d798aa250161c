// How responsive the main window stays while it searches a large tree, and how quickly the abort
// button stops a search.
//
//   search_responsiveness_bench [folder] [method 0..4] [runs]
//
// A 1 ms timer stands for the user's input: every gap between two of its ticks is time in which
// the window could not react. Reported: the largest gap and the 99th percentile during a whole
// search (walk, collection, comparison, filling the tree, statistics), and for an abort clicked
// in each of the three stages, the time from the click (posted as a real mouse click) until the
// search has returned and the window is idle again.
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "Gaps.h"
#include "app/mainform/MainForm.h"
#include "app/mainform/WindowHost.h"
#include "app/results/DupeTreeModel.h"
#include "foundation/Globals.h"
#include "foundation/Prompter.h"

namespace {

// Answers every question No and says nothing.
class SilentPrompter : public qm::foundation::Prompter {
public:
    bool Ask(const std::string&) override { return false; }
    void Inform(const std::string& message) override { last = message; }
    void ShowError(const std::string& message) override { last = message; }
    std::string last;
};

using qm::bench::Gaps;
using qm::bench::Summarise;

void Click(QWidget* button) {
    const QPointF centre(button->width() / 2.0, button->height() / 2.0);
    const QPointF global = button->mapToGlobal(centre);
    QCoreApplication::postEvent(button, new QMouseEvent(QEvent::MouseButtonPress, centre, global,
                                                        Qt::LeftButton, Qt::LeftButton, {}));
    QCoreApplication::postEvent(button, new QMouseEvent(QEvent::MouseButtonRelease, centre, global,
                                                        Qt::LeftButton, Qt::NoButton, {}));
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const std::string folder = argc > 1 ? argv[1] : "/tmp/qm-h8-200k/";
    const int method = argc > 2 ? std::atoi(argv[2]) : 0;
    const int runs = argc > 3 ? std::atoi(argv[3]) : 3;

    SilentPrompter prompter;
    qm::app::TfrmMain window(&prompter);
    window.show();
    QCoreApplication::processEvents();
    window.AddSearchPath(qm::foundation::AddTrailingBackslash(folder));
    window.SelectAllFiltersBtnClick();
    // Every file once: the global filter alone.
    window.ClearAllFiltersBtnClick();
    for (std::size_t row = 0; row < window.FilterTable().Count(); ++row) {
        if (window.FilterTable().Row(row).mask == "*.*") {
            window.FilterSG->item(static_cast<int>(row), 0)->setCheckState(Qt::Checked);
        }
    }
    window.SetFCMItemIndex(method);
    window.DisableSSItem->setChecked(false);
    if (!window.SearchBtn->isEnabled()) {
        std::fprintf(stderr, "cannot search %s\n", folder.c_str());
        return 1;
    }

    std::printf("folder %s, method %d\n", folder.c_str(), method);
    std::printf("%-22s %10s %10s %10s %8s %10s\n", "run", "total ms", "max gap", "p99 gap", "ticks",
                "rows");

    QElapsedTimer clock;
    std::vector<double> gaps;
    qint64 lastTick = -1;
    int abortStage = 0;       // 0: let the search run out
    qint64 stageSeenAt = -1;  // when the abort stage was first seen in progress
    qint64 clickedAt = -1;
    constexpr qint64 kIntoStageMs = 30;  // how far into the stage the click comes
    // The stage each gap ended in: 1..3 while a step is in progress, 4 after the comparison
    // (filling the tree, statistics).
    std::vector<int> gapPhase;
    const auto phase = [&] {
        const QLatin1String inProgress("In Progress");
        if (window.Step1Lbl->text() == inProgress) {
            return 1;
        }
        if (window.Step2Lbl->text() == inProgress) {
            return 2;
        }
        if (window.Step3Lbl->text() == inProgress) {
            return 3;
        }
        return 4;
    };
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(1);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        if (lastTick >= 0) {
            gaps.push_back(static_cast<double>(now - lastTick) / 1e6);
            gapPhase.push_back(phase());
        }
        lastTick = now;
        if (abortStage > 0 && clickedAt < 0) {
            QLabel* step = abortStage == 1   ? window.Step1Lbl
                           : abortStage == 2 ? window.Step2Lbl
                                             : window.Step3Lbl;
            if (step->text() == QLatin1String("In Progress")) {
                if (stageSeenAt < 0) {
                    stageSeenAt = now;
                }
                if (now - stageSeenAt >= kIntoStageMs * 1'000'000) {
                    clickedAt = now;
                    Click(window.AbortSearchBtn);
                }
            }
        }
    });

    const auto runOnce = [&](const char* label, int stage) {
        gaps.clear();
        gapPhase.clear();
        lastTick = -1;
        abortStage = stage;
        stageSeenAt = -1;
        clickedAt = -1;
        window.SearchHost().SetMinYieldInterval(qm::app::WindowHost::kDefaultMinYieldIntervalMs);
        clock.start();
        ticker.start();
        window.SearchBtnClick();
        const qint64 end = clock.nsecsElapsed();
        ticker.stop();
        // The largest gap of each phase.
        double phaseMax[5] = {0, 0, 0, 0, 0};
        for (std::size_t i = 0; i < gaps.size(); ++i) {
            phaseMax[gapPhase[i]] = std::max(phaseMax[gapPhase[i]], gaps[i]);
        }
        const Gaps summary = Summarise(gaps);
        std::printf("%-22s %10.1f %10.1f %10.1f %8zu %10zu", label, static_cast<double>(end) / 1e6,
                    summary.maxMs, summary.p99Ms, summary.ticks,
                    window.DupeModel()->Tree().NodeCount());
        if (stage > 0) {
            if (clickedAt >= 0) {
                std::printf("  abort took %.1f ms (%s)", static_cast<double>(end - clickedAt) / 1e6,
                            window.AbortRequested ? "aborted" : "NOT aborted");
            } else {
                std::printf("  stage ended before the click");
            }
        }
        std::printf("\n%24s max gap by phase: walk %.1f, collect %.1f, compare %.1f, fill %.1f\n",
                    "", phaseMax[1], phaseMax[2], phaseMax[3], phaseMax[4]);
        std::fflush(stdout);
    };

    for (int run = 0; run < runs; ++run) {
        runOnce("full search", 0);
    }
    std::printf("  files scanned %s, folders %s, yields %lld\n",
                window.FilesScannedLbl->text().toUtf8().constData(),
                window.FoldersScannedLbl->text().toUtf8().constData(),
                static_cast<long long>(window.SearchHost().RealYields()));
    for (int run = 0; run < runs; ++run) {
        runOnce("abort in folder scan", 1);
        runOnce("abort in file scan", 2);
        runOnce("abort in comparison", 3);
    }
    return 0;
}
