// Folder walk and file collection over a generated tree of 100,000 small files.
// The tree is made once under /tmp (kept between runs; delete the folder to rebuild it).

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>

#include "engine/FileCollection.h"
#include "engine/FolderWalk.h"
#include "engine/SearchHost.h"
#include "platform/Locale.h"

namespace {

using namespace qm;

constexpr int kTopFolders = 10;
constexpr int kSubFolders = 100;      // per top folder: 1,000 folders of files
constexpr int kFilesPerFolder = 100;  // 100,000 files
const std::string kRoot = "/tmp/quillmere-bench-walk-100k/";

void MakeFolder(const std::string& path) {
    if (::mkdir(path.c_str(), 0755) != 0 && errno != EEXIST) {
        throw std::runtime_error("cannot create " + path);
    }
}

const std::string& BenchTree() {
    static const std::string root = [] {
        const std::string done = kRoot + ".complete";
        if (::access(done.c_str(), F_OK) == 0)
            return kRoot;
        MakeFolder(kRoot);
        for (int t = 0; t < kTopFolders; ++t) {
            const std::string top = kRoot + "top" + std::to_string(t) + "/";
            MakeFolder(top);
            for (int s = 0; s < kSubFolders; ++s) {
                const std::string sub = top + "Sub " + std::to_string(s) + "/";
                MakeFolder(sub);
                for (int f = 0; f < kFilesPerFolder; ++f) {
                    const std::string name =
                        sub + "file" + std::to_string(f) + (f % 3 == 0 ? ".jpg" : ".txt");
                    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
                    if (fd < 0)
                        throw std::runtime_error("cannot create " + name);
                    // Sizes spread over 0..199 bytes: many equal sizes, as in real trees.
                    const std::string bytes(static_cast<std::size_t>((t * 7 + s * 13 + f) % 200),
                                            'x');
                    if (::write(fd, bytes.data(), bytes.size()) !=
                        static_cast<ssize_t>(bytes.size())) {
                        ::close(fd);
                        throw std::runtime_error("cannot write " + name);
                    }
                    ::close(fd);
                }
            }
        }
        const int fd = ::open(done.c_str(), O_WRONLY | O_CREAT, 0644);
        if (fd >= 0)
            ::close(fd);
        return kRoot;
    }();
    return root;
}

engine::SearchCriteria BenchCriteria() {
    engine::SearchCriteria criteria;
    criteria.searchFolders = {BenchTree()};
    criteria.fileMaskText = "*.*";
    criteria.includeHidden = false;  // skips the marker file
    return criteria;
}

void BM_WalkFolders(benchmark::State& state) {
    const engine::SearchCriteria criteria = BenchCriteria();
    const auto locale = platform::CreateLocale("en_US");
    engine::NullSearchHost host;
    for (auto _ : state) {
        engine::FolderList folders;
        engine::WalkSearchFolders(criteria, host, platform::SystemFileSystem(), folders, nullptr,
                                  *locale);
        benchmark::DoNotOptimize(folders.data());
        state.counters["folders"] = static_cast<double>(folders.size());
    }
}
BENCHMARK(BM_WalkFolders)->Unit(benchmark::kMillisecond);

void WalkAndCollect(benchmark::State& state, const char* masks) {
    engine::SearchCriteria criteria = BenchCriteria();
    criteria.fileMaskText = masks;
    const auto locale = platform::CreateLocale("en_US");
    engine::NullSearchHost host;
    for (auto _ : state) {
        engine::FolderList folders;
        engine::WalkSearchFolders(criteria, host, platform::SystemFileSystem(), folders, nullptr,
                                  *locale);
        engine::ScanList files;
        engine::CollectFiles(folders, criteria, host, platform::SystemFileSystem(), *locale, files);
        benchmark::DoNotOptimize(files.data());
        state.counters["files"] = static_cast<double>(files.size());
    }
}

void BM_WalkAndCollectAll(benchmark::State& state) {
    WalkAndCollect(state, "*.*");
}
BENCHMARK(BM_WalkAndCollectAll)->Unit(benchmark::kMillisecond);

// Two masks: each listed file is matched by name once per mask.
void BM_WalkAndCollectTwoMasks(benchmark::State& state) {
    WalkAndCollect(state, "*.jpg, *.txt");
}
BENCHMARK(BM_WalkAndCollectTwoMasks)->Unit(benchmark::kMillisecond);

// The final sort of a ScanList of 200,000 entries with many equal sizes.
void BM_SortScanList200k(benchmark::State& state) {
    const auto locale = platform::CreateLocale("en_US");
    engine::ScanList source;
    source.reserve(200000);
    for (int i = 0; i < 200000; ++i) {
        source.Add((i * 7919) % 5000,
                   "/home/user/Pictures/Folder " + std::to_string(i % 977) + "/IMG_" +
                       std::to_string(i) + ".JPG",
                   i);
    }
    for (auto _ : state) {
        state.PauseTiming();
        engine::ScanList list = source;
        state.ResumeTiming();
        engine::SortScanList(list, *locale);
        benchmark::DoNotOptimize(list.data());
    }
}
BENCHMARK(BM_SortScanList200k)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
