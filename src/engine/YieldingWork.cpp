#include "engine/YieldingWork.h"

#include <atomic>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>

namespace qm::engine {

namespace {

// The stop flag of the work this thread runs for RunWhileYielding; null on other threads.
thread_local const std::atomic<bool>* t_stopFlag = nullptr;

}  // namespace

void ThrowIfWorkStopped() {
    if (t_stopFlag != nullptr && t_stopFlag->load(std::memory_order_relaxed)) {
        throw WorkStopped{};
    }
}

void RunWhileYielding(SearchHost& host, const std::function<void()>& work) {
    std::mutex mutex;
    std::condition_variable finishedSignal;
    bool finished = false;
    std::exception_ptr workError;
    std::atomic<bool> stop{host.AbortRequested()};
    std::thread worker;
    try {
        worker = std::thread([&] {
            t_stopFlag = &stop;
            try {
                work();
            } catch (const WorkStopped&) {
                // Given up on an abort; the caller sees the abort through its host.
            } catch (...) {
                workError = std::current_exception();
            }
            {
                const std::lock_guard<std::mutex> lock(mutex);
                finished = true;
            }
            finishedSignal.notify_one();
        });
    } catch (const std::system_error&) {
        // No thread to be had: the work still gets done, only without yields.
        work();
        return;
    }

    std::exception_ptr hostError;
    {
        std::unique_lock<std::mutex> lock(mutex);
        while (!finishedSignal.wait_for(lock, kYieldingWorkInterval, [&] { return finished; })) {
            lock.unlock();
            try {
                host.Yield();
                if (!stop.load(std::memory_order_relaxed) && host.AbortRequested()) {
                    stop.store(true, std::memory_order_relaxed);
                }
            } catch (...) {
                // The worker still uses this frame: wait for it before letting the error out.
                hostError = std::current_exception();
            }
            lock.lock();
            if (hostError) {
                finishedSignal.wait(lock, [&] { return finished; });
                break;
            }
        }
    }
    worker.join();
    if (hostError) {
        std::rethrow_exception(hostError);
    }
    if (workError) {
        std::rethrow_exception(workError);
    }
}

}  // namespace qm::engine
