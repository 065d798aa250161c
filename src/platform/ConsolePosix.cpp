#include <signal.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include "platform/Console.h"

namespace qm::platform {

namespace {

std::atomic<bool>* g_interruptFlag = nullptr;
static_assert(std::atomic<bool>::is_always_lock_free, "the signal handler needs a lock-free flag");

extern "C" void OnInterrupt(int) {
    if (g_interruptFlag != nullptr) {
        g_interruptFlag->store(true, std::memory_order_relaxed);
    }
}

}  // namespace

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

// The streams of a POSIX program are bytes already.
void PrepareStandardStreams() {}

bool IsTerminal(std::FILE* stream) {
    return ::isatty(::fileno(stream)) == 1;
}

int TerminalColumns(std::FILE* stream) {
    winsize size{};
    if (::ioctl(::fileno(stream), TIOCGWINSZ, &size) == 0) {
        return size.ws_col;
    }
    return 0;
}

// SA_RESETHAND makes the second Ctrl+C end the program.
void InstallInterruptHandler(std::atomic<bool>& flag) {
    g_interruptFlag = &flag;
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND | SA_RESTART;
    ::sigaction(SIGINT, &action, nullptr);
}

}  // namespace qm::platform
