// Results files and exports of a million file rows, without a window: reading a results file,
// filling the results tree from its rows, saving the tree, and rendering each export.

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/Locale.h"
#include "results/PopulateResultsTree.h"
#include "results/ResultTree.h"
#include "results/ResultsHost.h"
#include "storage/ExportDocument.h"
#include "storage/ResultsFile.h"

namespace {

using namespace qm;

constexpr int kRows = 1'000'000;

const platform::Locale& BenchLocale() {
    static const auto locale = platform::CreateLocale("en_US");
    return *locale;
}

// Sets of two to four files, eight extensions in runs, realistic path lengths.
const std::vector<storage::ResultsFileRow>& Rows() {
    static const std::vector<storage::ResultsFileRow> rows = [] {
        const char* extensions[] = {"jpg", "png", "doc", "pdf", "mp3", "txt", "zip", "dat"};
        std::vector<storage::ResultsFileRow> made;
        made.reserve(kRows);
        int group = 0;
        while (made.size() < static_cast<std::size_t>(kRows)) {
            ++group;
            const int setSize = 2 + group % 3;
            const std::string ext = extensions[(group / 1000) % 8];
            for (int k = 0; k < setSize && made.size() < static_cast<std::size_t>(kRows); ++k) {
                std::string key = "*.";
                for (const char c : ext) {
                    key += static_cast<char>(c - 'a' + 'A');
                }
                made.push_back({engine::GroupText(group),
                                "/home/user/collection/folder" + std::to_string(k) + "/sub" +
                                    std::to_string(group % 97) + "/file" + std::to_string(group) +
                                    "." + ext,
                                key, 1000 + group, "01/05/2006 03:04:06 PM"});
            }
        }
        return made;
    }();
    return rows;
}

const results::ResultTree& Tree() {
    static const results::ResultTree tree = [] {
        results::ResultTree made;
        results::NullResultsHost host;
        results::PopulateResultsTree(made, Rows(), host, {}, BenchLocale());
        return made;
    }();
    return tree;
}

void BM_ReadResultsFile(benchmark::State& state) {
    char path[] = "/tmp/qm-results-bench-XXXXXX";
    const int fd = ::mkstemp(path);
    if (fd < 0) {
        state.SkipWithError("no temporary file");
        return;
    }
    ::close(fd);
    storage::WriteResultsFile(path, Rows());
    for (auto _ : state) {
        benchmark::DoNotOptimize(storage::ReadResultsFile(path));
    }
    ::unlink(path);
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * kRows);
}

void BM_FillTreeFromRows(benchmark::State& state) {
    for (auto _ : state) {
        results::ResultTree tree;
        results::NullResultsHost host;
        results::PopulateResultsTree(tree, Rows(), host, {}, BenchLocale());
        benchmark::DoNotOptimize(tree.NodeCount());
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * kRows);
}

void BM_SaveTree(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(storage::ResultsFileText(storage::ResultsRowsOf(Tree())));
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * kRows);
}

void BM_Export(benchmark::State& state) {
    const auto format = static_cast<storage::ExportFormat>(state.range(0));
    const char* names[] = {"csv", "html", "rtf", "text"};
    state.SetLabel(names[state.range(0)]);
    std::size_t bytes = 0;
    for (auto _ : state) {
        const storage::ExportDocument document =
            storage::ExportDocumentOf(Tree(), storage::DefaultExportColumns(), BenchLocale());
        bytes = storage::RenderExport(document, format).size();
    }
    state.counters["MB"] = static_cast<double>(bytes) / 1e6;
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * kRows);
}

}  // namespace

BENCHMARK(BM_ReadResultsFile)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_FillTreeFromRows)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SaveTree)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Export)->DenseRange(0, 3)->Unit(benchmark::kMillisecond)->Iterations(2);

BENCHMARK_MAIN();
