#include "cli/ScanCommand.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "cli/ConsoleSearchHost.h"
#include "cli/CopyActions.h"
#include "cli/ResultOutput.h"
#include "cli/ScanOptions.h"
#include "cli/UsageError.h"
#include "engine/SearchRun.h"
#include "foundation/Error.h"
#include "foundation/Globals.h"
#include "platform/FileOperations.h"
#include "platform/FileSystem.h"
#include "platform/Locale.h"
#include "results/ResultStatistics.h"
#include "storage/FileIo.h"
#include "storage/ResultsFile.h"

namespace qm::cli {

namespace {

constexpr const char* kProgram = kProgramName;

std::atomic<bool> g_abortRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the signal handler needs a lock-free flag");

extern "C" void OnInterrupt(int) {
    g_abortRequested.store(true, std::memory_order_relaxed);
}

// Ctrl+C asks the search to wind down; SA_RESETHAND makes a second Ctrl+C end the program at
// once, should winding down ever take too long.
void InstallInterruptHandler() {
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND | SA_RESTART;
    ::sigaction(SIGINT, &action, nullptr);
}

void PrintError(const std::string& message) {
    std::fprintf(stderr, "%s: %s\n", kProgram, message.c_str());
}

std::string WorkingFolder() {
    std::string buffer(4096, '\0');
    while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE) {
            throw FileError(std::string("Cannot read the current folder: ") + std::strerror(errno));
        }
        buffer.resize(buffer.size() * 2);
    }
    return buffer.c_str();
}

std::string CannotSearch(const std::string& folder, const std::string& reason) {
    return "cannot search \"" + folder + "\": " + reason;
}

// The checks that let a bad command line fail before a long search rather than after it. A
// search folder is opened as the walk will open it, so that one that cannot be listed fails here.
void CheckFolders(const std::vector<std::string>& folders) {
    for (const std::string& folder : folders) {
        const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0) {
            throw FileError(CannotSearch(folder, std::strerror(errno)));
        }
        ::close(fd);
    }
}

void CheckOutputPath(const std::string& path) {
    struct stat info {};
    int error = 0;
    // Something that is not a regular file is written into: it must take writing. A file (or a
    // link to one) is replaced through a temporary file beside it: its folder must take that.
    std::string file = path;
    if (::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
        if (S_ISDIR(info.st_mode)) {
            error = EISDIR;
        } else if (::access(path.c_str(), W_OK) != 0) {
            error = errno;
        }
    } else {
        if (char* resolved = ::realpath(path.c_str(), nullptr)) {
            file = resolved;
            std::free(resolved);
        }
        const std::size_t cut = file.rfind(foundation::kPathDelim);
        const std::string folder = cut == std::string::npos ? "." : file.substr(0, cut + 1);
        if (::stat(folder.c_str(), &info) != 0) {  // NOLINT(bugprone-branch-clone): other cause
            error = errno;
        } else if (!S_ISDIR(info.st_mode)) {
            error = ENOTDIR;
        } else if (::access(folder.c_str(), W_OK | X_OK) != 0) {
            error = errno;
        }
    }
    if (error != 0) {
        throw FileError("cannot write \"" + path + "\": " + std::strerror(error));
    }
}

void WriteStandardOutput(const std::string& text) {
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() ||
        std::fflush(stdout) != 0) {
        throw FileError(std::string("cannot write the results: ") + std::strerror(errno));
    }
}

int Scan(const ScanOptions& options) {
    const engine::SearchCriteria& criteria = options.criteria;
    CheckFolders(criteria.searchFolders);
    if (!options.outputPath.empty()) {
        CheckOutputPath(options.outputPath);
    }
    CheckCopyActionTargets(options);

    const platform::Locale& locale = platform::UserLocale();
    g_abortRequested.store(false);
    InstallInterruptHandler();
    if (!options.loadPath.empty()) {
        return ActOnLoadedCopies(options, g_abortRequested, stdout, locale,
                                 platform::SystemFileOperations());
    }
    const bool showProgress = !options.quiet && ::isatty(STDERR_FILENO) == 1;
    ConsoleSearchHost host(g_abortRequested, stderr, showProgress, locale);
    host.SetNameSkipped(!options.quiet);

    const engine::SearchResult result =
        engine::RunSearch(criteria, host, platform::SystemFileSystem(), locale);
    host.ClearProgress();

    // An interrupt that came after the last stage still means the user wants nothing written.
    if (result.outcome == engine::SearchOutcome::Aborted || g_abortRequested.load()) {
        std::fputs("Scan aborted.\n", stderr);
        return kExitAborted;
    }
    if (result.outcome == engine::SearchOutcome::Failed) {
        PrintError(result.errorMessage);
        return kExitError;
    }
    // A search folder that could not be listed at all would make "nothing found" a lie.
    if (!host.UnlistedSearchFolders().empty()) {
        for (const ConsoleSearchHost::UnlistedFolder& folder : host.UnlistedSearchFolders()) {
            PrintError(CannotSearch(folder.path, folder.reason));
        }
        return kExitError;
    }

    const std::string text = ResultOutputText(result.duplicates, options.format, locale);
    if (options.outputPath.empty()) {
        // Acting on copies, standard output tells what was done instead.
        if (options.copyAction == CopyAction::None) {
            WriteStandardOutput(text);
        }
    } else {
        storage::WriteFileAtomically(options.outputPath, text);
    }

    const std::string elapsed = engine::ElapsedTimeText(result.endTime, result.startTime);
    if (result.duplicates.empty()) {
        std::fputs("No duplicate files were found for the selected search criteria.\n", stderr);
    }
    std::fprintf(stderr, "%s file(s) and %s folder(s) ignored.\n",
                 results::FormatCount(result.counters.filesIgnored, locale).c_str(),
                 results::FormatCount(result.counters.foldersIgnored, locale).c_str());
    const std::string summary = results::ResultStatisticsText(
        results::CountResultStatistics(result.duplicates), false, elapsed, locale);
    std::fprintf(stderr, "%s\n", summary.c_str());
    if (options.copyAction != CopyAction::None) {
        return ActOnCopies(result.duplicates, result.method, options, g_abortRequested, stdout,
                           locale, platform::SystemFileOperations());
    }
    return kExitSearchRan;
}

}  // namespace

int RunScanCommand(const std::vector<std::string>& args) {
    try {
        const ScanOptions options = ParseScanOptions(args, WorkingFolder());
        if (options.help) {
            WriteStandardOutput(HelpText());
            return kExitSearchRan;
        }
        if (options.version) {
            WriteStandardOutput("Quillmere v" + foundation::GetFileVersionText() + "\n");
            return kExitSearchRan;
        }
        return Scan(options);
    } catch (const UsageError& error) {
        PrintError(error.what());
        return kExitUsage;
    } catch (const std::exception& error) {
        PrintError(error.what());
        return kExitError;
    }
}

}  // namespace qm::cli
