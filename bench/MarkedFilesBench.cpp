// Speed of the delete command: 10,000 marked copies sent to the trash, each checked against its
// listed identity and its set's surviving copy first, as the window and quillmere-scan do it.
// Each run makes a fresh tree under $QM_BENCH_TRASH (default /tmp/qm-bench-trash) with its own
// trash (the tree's data/Trash), outside the timing. Besides the time, "max_gap_ms" is the longest
// stretch between two yields of the walk: how long the window would go without answering.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "engine/FileRecords.h"
#include "platform/FileOperations.h"
#include "platform/Locale.h"
#include "results/MarkedFileActions.h"
#include "results/Marking.h"
#include "results/PopulateResultsTree.h"
#include "storage/ResultsFile.h"

namespace {

namespace fs = std::filesystem;
using namespace qm;

constexpr int kCopies = 10'000;
constexpr int kFolders = 100;

std::string Root() {
    const char* root = std::getenv("QM_BENCH_TRASH");
    return root != nullptr ? root : "/tmp/qm-bench-trash";
}

// Yields that cost nothing, timed: the longest time between two of them.
class GapHost : public results::NullResultsHost {
public:
    void Yield() override {
        const auto now = std::chrono::steady_clock::now();
        if (m_started) {
            maxGap =
                std::max(maxGap, std::chrono::duration<double, std::milli>(now - m_last).count());
        }
        m_started = true;
        m_last = now;
    }
    double maxGap = 0;

private:
    bool m_started = false;
    std::chrono::steady_clock::time_point m_last;
};

// kCopies sets of two equal files (a first file and its copy, in different folders), as the
// search lists them.
engine::DuplicateList MakeTree(const std::string& root) {
    fs::remove_all(root);
    engine::DuplicateList list;
    for (int set = 0; set < kCopies; ++set) {
        const std::string bytes = "set " + std::to_string(set) + std::string(200, 'x');
        for (int copy = 0; copy < 2; ++copy) {
            const fs::path folder = fs::path(root) / ("f" + std::to_string(copy)) /
                                    ("d" + std::to_string(set % kFolders));
            fs::create_directories(folder);
            const fs::path path = folder / ("file" + std::to_string(set) + ".txt");
            std::ofstream(path, std::ios::binary) << bytes;
            const platform::FileFacts facts = platform::SystemFileOperations().Examine(path);
            engine::DuplicateEntry entry;
            entry.group = set + 1;
            entry.extensionKey = "*.TXT";
            entry.size = facts.size;
            entry.path = path.string();
            entry.lastWrite = facts.lastWrite;
            entry.id = facts.id;
            list.push_back(std::move(entry));
        }
    }
    return list;
}

void TrashMarkedCopies(benchmark::State& state) {
    const bool loaded = state.range(0) != 0;
    const std::string root = Root();
    const platform::Locale& locale = platform::UserLocale();
    double maxGap = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const engine::DuplicateList list = MakeTree(root + "/tree");
        results::ResultTree tree;
        results::NullResultsHost quiet;
        if (loaded) {
            // From a results file: no identities, so each copy is compared with its first file.
            results::PopulateResultsTree(tree, storage::ResultsRowsOf(list, locale), quiet, {},
                                         locale);
        } else {
            results::PopulateResultsTree(tree, list, engine::Method::ContentsOnly, quiet, {},
                                         locale);
        }
        results::MarkAll(tree, {}, quiet, locale);
        platform::FileOperationsOptions options;
        options.dataHome = root + "/data";
        fs::remove_all(options.dataHome);
        const auto operations = platform::MakeFileOperations(options);
        GapHost host;
        state.ResumeTiming();

        const results::MarkedActionCounts counts =
            results::DeleteMarkedFiles(tree, *operations, host);

        state.PauseTiming();
        if (counts.done != kCopies) {
            state.SkipWithError("not every copy went to the trash");
        }
        maxGap = std::max(maxGap, host.maxGap);
        state.ResumeTiming();
    }
    state.counters["files_per_s"] = benchmark::Counter(
        static_cast<double>(kCopies), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["max_gap_ms"] = maxGap;
    fs::remove_all(root);
}

}  // namespace

BENCHMARK(TrashMarkedCopies)
    ->ArgName("from_results_file")
    ->Arg(0)
    ->Arg(1)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

BENCHMARK_MAIN();
