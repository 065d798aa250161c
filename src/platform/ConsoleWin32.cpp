// windows.h (through Win32Tools.h) must come before the shell's header.
#include "platform/Win32Tools.h"

#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include "platform/Console.h"

namespace qm::platform {

namespace {

std::atomic<bool>* g_interruptFlag = nullptr;
std::atomic<int> g_interrupts{0};

BOOL WINAPI OnConsoleEvent(DWORD event) {
    switch (event) {
        case CTRL_C_EVENT:
        case CTRL_BREAK_EVENT:
        case CTRL_CLOSE_EVENT:
            // The first asks the work to wind down; the next one ends the program as usual.
            if (g_interruptFlag != nullptr && g_interrupts.fetch_add(1) == 0) {
                g_interruptFlag->store(true, std::memory_order_relaxed);
                return TRUE;
            }
            return FALSE;
        default:
            return FALSE;
    }
}

HANDLE ConsoleOf(std::FILE* stream) {
    const intptr_t handle = ::_get_osfhandle(::_fileno(stream));
    return handle == -1 ? INVALID_HANDLE_VALUE : reinterpret_cast<HANDLE>(handle);
}

}  // namespace

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (wide == nullptr) {
        return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
    }
    std::vector<std::string> args;
    for (int i = 1; i < count; ++i) {
        args.push_back(win32::WideToUtf8(wide[i]));
    }
    ::LocalFree(wide);
    return args;
}

void PrepareStandardStreams() {
    // Results go out as the bytes they are: CR LF stays CR LF, a lone LF stays a LF.
    ::_setmode(::_fileno(stdout), _O_BINARY);
    ::SetConsoleOutputCP(CP_UTF8);
    for (std::FILE* stream : {stdout, stderr}) {
        DWORD mode = 0;
        const HANDLE console = ConsoleOf(stream);
        if (::GetConsoleMode(console, &mode) != 0) {
            ::SetConsoleMode(console, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
        }
    }
}

bool IsTerminal(std::FILE* stream) {
    DWORD mode = 0;
    return ::GetConsoleMode(ConsoleOf(stream), &mode) != 0;
}

int TerminalColumns(std::FILE* stream) {
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (::GetConsoleScreenBufferInfo(ConsoleOf(stream), &info) == 0) {
        return 0;
    }
    return info.srWindow.Right - info.srWindow.Left + 1;
}

void InstallInterruptHandler(std::atomic<bool>& flag) {
    g_interruptFlag = &flag;
    g_interrupts.store(0);
    ::SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

}  // namespace qm::platform
