// Throughput of the checksum methods on in-memory buffers (no file reading involved).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include "foundation/CRC32.h"

namespace {

const std::vector<unsigned char>& Buffer(std::size_t size) {
    static std::vector<unsigned char> buffer;
    if (buffer.size() != size) {
        buffer.resize(size);
        std::mt19937_64 rng(1);
        for (auto& b : buffer) {
            b = static_cast<unsigned char>(rng());
        }
    }
    return buffer;
}

template <void (*Method)(const void*, std::size_t, std::uint32_t&)>
void BM_Checksum(benchmark::State& state) {
    const auto& buffer = Buffer(static_cast<std::size_t>(state.range(0)));
    std::uint32_t reg = 0;
    for (auto _ : state) {
        Method(buffer.data(), buffer.size(), reg);
        benchmark::DoNotOptimize(reg);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}

void BM_Table(benchmark::State& state) {
    BM_Checksum<&qm::foundation::UpdateChecksum>(state);
}
void BM_Sliced(benchmark::State& state) {
    BM_Checksum<&qm::foundation::UpdateChecksumSliced>(state);
}
void BM_Fast(benchmark::State& state) {
    state.SetLabel(qm::foundation::FastChecksumMethod());
    BM_Checksum<&qm::foundation::UpdateChecksumFast>(state);
}

}  // namespace

BENCHMARK(BM_Table)->Arg(1 << 20);
BENCHMARK(BM_Sliced)->Arg(1 << 20);
BENCHMARK(BM_Fast)->Arg(4 << 10)->Arg(256 << 10)->Arg(1 << 20);

BENCHMARK_MAIN();
