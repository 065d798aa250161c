#include "cli/ScanCommand.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "cli/ConsoleSearchHost.h"
#include "cli/CopyActions.h"
#include "cli/ResultOutput.h"
#include "cli/ScanOptions.h"
#include "cli/UsageError.h"
#include "engine/SearchRun.h"
#include "foundation/Error.h"
#include "foundation/Globals.h"
#include "platform/Console.h"
#include "platform/FileOperations.h"
#include "platform/FileSystem.h"
#include "platform/Locale.h"
#include "platform/PathChecks.h"
#include "results/ResultStatistics.h"
#include "storage/FileIo.h"
#include "storage/ResultsFile.h"

namespace qm::cli {

namespace {

constexpr const char* kProgram = kProgramName;

// Ctrl+C asks the search to wind down.
std::atomic<bool> g_abortRequested{false};

void PrintError(const std::string& message) {
    std::fprintf(stderr, "%s: %s\n", kProgram, message.c_str());
}

std::string WorkingFolder() {
    std::string reason;
    std::string folder = platform::WorkingFolder(reason);
    if (folder.empty()) {
        throw FileError("Cannot read the current folder: " + reason);
    }
    return folder;
}

std::string CannotSearch(const std::string& folder, const std::string& reason) {
    return "cannot search \"" + folder + "\": " + reason;
}

// The checks that let a bad command line fail before a long search rather than after it. A
// search folder is opened as the walk will open it, so that one that cannot be listed fails here.
void CheckFolders(const std::vector<std::string>& folders) {
    for (const std::string& folder : folders) {
        if (const std::string problem = platform::FolderOpenProblem(folder); !problem.empty()) {
            throw FileError(CannotSearch(folder, problem));
        }
    }
}

void CheckOutputPath(const std::string& path) {
    if (const std::string problem = platform::WriteTargetProblem(path); !problem.empty()) {
        throw FileError("cannot write \"" + path + "\": " + problem);
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
    platform::InstallInterruptHandler(g_abortRequested);
    if (!options.loadPath.empty()) {
        return ActOnLoadedCopies(options, g_abortRequested, stdout, locale,
                                 platform::SystemFileOperations());
    }
    const bool showProgress = !options.quiet && platform::IsTerminal(stderr);
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
