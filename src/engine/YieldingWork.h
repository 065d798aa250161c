#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <utility>

#include "engine/SearchHost.h"
#include "platform/Locale.h"

namespace qm::engine {

// Below this many entries a sort or pass is done inline: starting a thread would cost more than
// the window could gain.
inline constexpr std::size_t kYieldingWorkMinEntries = 4096;

// How often the calling thread yields while the worker runs.
inline constexpr std::chrono::milliseconds kYieldingWorkInterval{5};

// Runs work (a long CPU-bound step that itself never yields) on a worker thread while the calling
// thread keeps calling host.Yield(), so that a window searching on its own thread still repaints
// and takes clicks. Returns when work is done; an exception it throws is rethrown here. The host
// is only ever called from the calling thread, and work must not call it. After an abort the
// caller checks the host, as it would have; see ThrowIfWorkStopped.
void RunWhileYielding(SearchHost& host, const std::function<void()>& work);

// Long work on a worker may call this now and then: once the host reports an abort it throws
// WorkStopped, which ends the work early and which RunWhileYielding swallows, so that Abort
// need not wait for a sort whose results are discarded anyway. Throw it only where the data
// left behind is still whole (e.g. while building keys or sorting indices). Never throws for
// work run inline.
void ThrowIfWorkStopped();

struct WorkStopped {};

namespace detail {
// Constant-initialised and defined here, so that no thread-local wrapper call is needed per use.
inline constinit thread_local std::uint32_t t_pollCount = 0;
}  // namespace detail

// ThrowIfWorkStopped for the comparator of a long sort, cheap enough to call every comparison:
// asks only every few thousand calls. Only for sorts of plain values such as indices, which a
// throw mid-sort leaves permuted but whole.
inline void PollWorkStopped() {
    if ((++detail::t_pollCount & 4095u) == 0) {
        ThrowIfWorkStopped();
    }
}

// As above for work over entryCount entries; a short list is worked on inline.
template <typename F>
void RunWhileYielding(SearchHost& host, std::size_t entryCount, F&& work) {
    if (entryCount < kYieldingWorkMinEntries) {
        std::forward<F>(work)();
        return;
    }
    RunWhileYielding(host, std::function<void()>([&work] { work(); }));
}

// As above for work that needs the locale: work(const platform::Locale&) gets locale itself when
// run inline, and an instance of its own (same name) on the worker, since a Locale is not
// thread-safe and the caller's stays in use on the calling thread.
template <typename F>
void RunWhileYielding(SearchHost& host, std::size_t entryCount, const platform::Locale& locale,
                      F&& work) {
    if (entryCount < kYieldingWorkMinEntries) {
        std::forward<F>(work)(locale);
        return;
    }
    const std::string name = locale.Name();
    RunWhileYielding(host, std::function<void()>([&work, &name] {
                         const std::unique_ptr<platform::Locale> own = platform::CreateLocale(name);
                         work(*own);
                     }));
}

}  // namespace qm::engine
