// Speed of the "Contents Only" comparison on a generated tree of known shape, with a warm page
// cache. The tree is made once under $QM_BENCH_TREE (default /tmp/qm-bench-content) and reused;
// the same tree serves the peer comparison (jdupes, fdupes, rmlint, rdfind).
//
// Shape (about 480 MB): 6,000 small files of 1..16 KiB of which a third are copies; 2,000 files
// of exactly 4 KiB+1 with random heads (same size, nothing shared); 300 files of 100 KiB..1 MiB,
// half of them copies; 24 files of 16 MiB in pairs, half the pairs equal, the others differing
// in their last byte.

#include <benchmark/benchmark.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "engine/ContentComparison.h"
#include "engine/FileCollection.h"
#include "engine/SearchRun.h"
#include "platform/FileSystem.h"
#include "platform/Locale.h"

namespace {

namespace fs = std::filesystem;
using namespace qm;

std::string TreeRoot() {
    const char* root = std::getenv("QM_BENCH_TREE");
    return root != nullptr ? root : "/tmp/qm-bench-content";
}

std::string RandomBytes(std::mt19937_64& random, std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; i += 8) {
        std::uint64_t value = random();
        for (std::size_t b = 0; b < 8 && i + b < size; ++b, value >>= 8) {
            bytes[i + b] = static_cast<char>(value & 0xFF);
        }
    }
    return bytes;
}

void Write(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
}

void MakeTree(const std::string& root) {
    if (fs::exists(fs::path(root) / ".complete"))
        return;
    fs::remove_all(root);
    std::mt19937_64 random(42);
    auto folder = [&](int i) { return fs::path(root) / ("d" + std::to_string(i % 37)); };
    std::vector<std::string> originals;
    for (int i = 0; i < 6000; ++i) {
        std::string bytes;
        if (i % 3 == 2 && !originals.empty()) {
            bytes = originals[random() % originals.size()];
        } else {
            bytes = RandomBytes(random, 1024 + random() % (15 * 1024));
            originals.push_back(bytes);
        }
        Write(folder(i) / ("s" + std::to_string(i) + ".dat"), bytes);
    }
    for (int i = 0; i < 2000; ++i) {
        Write(folder(i) / ("h" + std::to_string(i) + ".bin"), RandomBytes(random, 4097));
    }
    originals.clear();
    for (int i = 0; i < 300; ++i) {
        std::string bytes;
        if (i % 2 == 1) {
            bytes = originals.back();
        } else {
            bytes = RandomBytes(random, 100'000 + random() % 900'000);
            originals.push_back(bytes);
        }
        Write(folder(i) / ("m" + std::to_string(i) + ".img"), bytes);
    }
    for (int i = 0; i < 12; ++i) {
        std::string bytes = RandomBytes(random, 16u << 20);
        Write(folder(i) / ("L" + std::to_string(i) + "a.iso"), bytes);
        if (i % 2 == 1)
            bytes.back() ^= 1;
        Write(folder(i + 5) / ("L" + std::to_string(i) + "b.iso"), bytes);
    }
    Write(fs::path(root) / ".complete", "");
}

engine::ScanList ScanTree(const std::string& root, const platform::Locale& locale) {
    engine::ScanList list;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file() || entry.path().filename() == ".complete")
            continue;
        const platform::FileFacts facts = platform::SystemFileSystem().Stat(entry.path());
        list.Add(facts.size, entry.path().string(), facts.lastWrite, facts.id);
    }
    engine::SortScanList(list, locale);
    return list;
}

void BM_FindContentDuplicates(benchmark::State& state) {
    const std::string root = TreeRoot();
    MakeTree(root);
    auto locale = platform::CreateLocale("en_US");
    const engine::ScanList scan = ScanTree(root, *locale);
    std::int64_t bytes = 0;
    for (const engine::ScanEntry& entry : scan) bytes += entry.size;
    std::size_t lines = 0;
    for (auto _ : state) {
        engine::ScanList work = scan;
        engine::DuplicateList duplicates;
        engine::NullSearchHost host;
        engine::ContentContext context{host, platform::SystemFileSystem(), *locale, 0, {}};
        context.options.workerThreads = static_cast<unsigned>(state.range(0));
        engine::FindContentDuplicates(work, duplicates, context);
        lines = duplicates.size();
        benchmark::DoNotOptimize(duplicates.data());
    }
    state.counters["files"] = double(scan.size());
    state.counters["lines"] = double(lines);
    state.SetBytesProcessed(std::int64_t(state.iterations()) * bytes);
    state.SetItemsProcessed(std::int64_t(state.iterations()) * std::int64_t(scan.size()));
}
BENCHMARK(BM_FindContentDuplicates)
    ->Arg(1)
    ->Arg(2)
    ->Arg(4)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

// The whole search (walk, collection, comparison) as the peers do it.
void BM_RunSearchContentsOnly(benchmark::State& state) {
    const std::string root = TreeRoot();
    MakeTree(root);
    auto locale = platform::CreateLocale("en_US");
    engine::SearchCriteria criteria;
    criteria.searchFolders = {root + "/"};
    criteria.fileMaskText = "*.*";
    for (auto _ : state) {
        engine::NullSearchHost host;
        engine::SearchResult result =
            engine::RunSearch(criteria, host, platform::SystemFileSystem(), *locale);
        benchmark::DoNotOptimize(result.duplicates.data());
        state.counters["lines"] = double(result.duplicates.size());
    }
}
BENCHMARK(BM_RunSearchContentsOnly)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
