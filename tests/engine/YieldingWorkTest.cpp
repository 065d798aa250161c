#include "engine/YieldingWork.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "foundation/Error.h"

namespace qm::engine {
namespace {

// Counts yields and notes the thread of every call it gets.
class ThreadRecordingHost : public SearchHost {
public:
    void Yield() override {
        Note();
        ++yields;
        if (throwOnYield) {
            throw std::runtime_error("window gone");
        }
    }
    bool AbortRequested() const override {
        const_cast<ThreadRecordingHost*>(this)->Note();
        return abortAfterYields >= 0 && yields.load() >= abortAfterYields;
    }
    void SetStepState(SearchStep, StepState) override { Note(); }
    void SetCounter(Counter, std::int64_t) override { Note(); }
    void SetStatusText(const std::string&) override { Note(); }
    void SetStatusPath(std::string_view, std::string_view) override { Note(); }
    void ShowProgress(bool) override { Note(); }
    void SetProgressDecorations(bool) override { Note(); }
    void SetProgress(int) override { Note(); }

    std::vector<std::thread::id> Callers() {
        const std::lock_guard<std::mutex> lock(m_mutex);
        return m_callers;
    }

    std::atomic<int> yields{0};
    bool throwOnYield = false;
    int abortAfterYields = -1;  // never

private:
    void Note() {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_callers.push_back(std::this_thread::get_id());
    }

    std::mutex m_mutex;
    std::vector<std::thread::id> m_callers;
};

// Waits, without calling the host, until it has yielded `count` times; gives up after a while so
// that a host that is never called fails the test instead of hanging it.
bool WaitForYields(const ThreadRecordingHost& host, int count) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (host.yields.load() < count) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

TEST(YieldingWorkTest, LongWorkRunsOnAWorkerWhileOnlyTheCallerYields) {
    ThreadRecordingHost host;
    const std::thread::id caller = std::this_thread::get_id();
    std::thread::id workThread;
    bool sawYields = false;
    RunWhileYielding(host, kYieldingWorkMinEntries, [&] {
        workThread = std::this_thread::get_id();
        sawYields = WaitForYields(host, 3);
    });
    EXPECT_TRUE(sawYields);
    EXPECT_NE(workThread, caller);
    const std::vector<std::thread::id> callers = host.Callers();
    ASSERT_FALSE(callers.empty());
    for (const std::thread::id& id : callers) {
        EXPECT_EQ(id, caller);
    }
}

TEST(YieldingWorkTest, ShortWorkRunsInlineWithoutYields) {
    ThreadRecordingHost host;
    std::thread::id workThread;
    int runs = 0;
    RunWhileYielding(host, kYieldingWorkMinEntries - 1, [&] {
        workThread = std::this_thread::get_id();
        ++runs;
    });
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(workThread, std::this_thread::get_id());
    EXPECT_EQ(host.yields.load(), 0);
}

TEST(YieldingWorkTest, ExceptionsOfTheWorkReachTheCaller) {
    for (const std::size_t entries : {std::size_t{1}, kYieldingWorkMinEntries * 10}) {
        SCOPED_TRACE(entries);
        ThreadRecordingHost host;
        try {
            RunWhileYielding(host, entries, [] { throw Error("sort failed"); });
            ADD_FAILURE() << "no exception";
        } catch (const Error& error) {
            EXPECT_STREQ(error.what(), "sort failed");
        }
        // The caller can carry on with the same host afterwards.
        int runs = 0;
        RunWhileYielding(host, entries, [&] { ++runs; });
        EXPECT_EQ(runs, 1);
    }
}

TEST(YieldingWorkTest, FailingYieldWaitsForTheWorkerBeforeItsErrorLeaves) {
    ThreadRecordingHost host;
    host.throwOnYield = true;
    std::atomic<bool> workDone{false};
    EXPECT_THROW(RunWhileYielding(host, kYieldingWorkMinEntries,
                                  [&] {
                                      WaitForYields(host, 1);
                                      std::this_thread::sleep_for(std::chrono::milliseconds(20));
                                      workDone = true;
                                  }),
                 std::runtime_error);
    EXPECT_TRUE(workDone.load());
    EXPECT_EQ(host.yields.load(), 1);  // no yields once the host has failed
}

TEST(YieldingWorkTest, AbortStopsWorkThatAsksAndOnlyWorkOnAWorker) {
    ThreadRecordingHost host;
    host.abortAfterYields = 2;
    int checks = 0;
    bool finished = false;
    // The work asks until it is stopped; the caller returns normally, the abort is the host's.
    RunWhileYielding(host, kYieldingWorkMinEntries, [&] {
        for (; checks < 1'000'000; ++checks) {
            ThrowIfWorkStopped();
            std::this_thread::sleep_for(std::chrono::microseconds(100));
        }
        finished = true;
    });
    EXPECT_FALSE(finished);
    EXPECT_GE(host.yields.load(), 2);

    // Already aborted: work that asks gives up at once, work that does not ask still runs.
    checks = 0;
    RunWhileYielding(host, kYieldingWorkMinEntries, [&] {
        ThrowIfWorkStopped();
        ++checks;
    });
    EXPECT_EQ(checks, 0);
    int runs = 0;
    RunWhileYielding(host, kYieldingWorkMinEntries, [&] { ++runs; });
    EXPECT_EQ(runs, 1);

    // Inline work is never stopped, and neither is code outside any such work.
    RunWhileYielding(host, 1, [&] {
        ThrowIfWorkStopped();
        ++runs;
    });
    EXPECT_EQ(runs, 2);
    EXPECT_NO_THROW(ThrowIfWorkStopped());
}

TEST(YieldingWorkTest, WorkerGetsItsOwnLocaleThatCollatesAlike) {
    const std::unique_ptr<platform::Locale> locale = platform::CreateLocale("de_DE");
    const std::vector<std::string> texts = {
        "/a/Äpfel.txt",    "/a/apfel.TXT", "/b/zebra", "/b/Zebra",
        "/c/\xff\xfe-bad", "/c/ß",         "/c/ss",    ""};
    std::vector<std::string> expected;
    for (const std::string& text : texts) {
        expected.push_back(locale->SortKey(text));
    }
    ThreadRecordingHost host;
    struct Case {
        std::size_t entries;
        bool sameObject;
    };
    for (const Case& c : {Case{10, true}, Case{kYieldingWorkMinEntries, false}}) {
        SCOPED_TRACE(c.entries);
        const platform::Locale* used = nullptr;
        std::string usedName;
        std::vector<std::string> keys;
        RunWhileYielding(host, c.entries, *locale, [&](const platform::Locale& own) {
            used = &own;
            usedName = own.Name();
            for (const std::string& text : texts) {
                keys.push_back(own.SortKey(text));
            }
        });
        EXPECT_EQ(used == locale.get(), c.sameObject);
        EXPECT_EQ(usedName, locale->Name());
        EXPECT_EQ(keys, expected);
    }
}

}  // namespace
}  // namespace qm::engine
