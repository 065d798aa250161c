#pragma once

#include <atomic>
#include <cstdio>

#include "cli/ScanOptions.h"
#include "engine/FileRecords.h"

namespace qm::platform {
class FileOperations;
class Locale;
}  // namespace qm::platform

namespace qm::cli {

// What acting on the copies needs before any search: the destination of a move is an existing
// folder. Throws FileError naming the problem.
void CheckCopyActionTargets(const ScanOptions& options);

// Trashes or moves (options.copyAction) the copies of every set of a search's list, made by
// method: what "Mark all" marks, less files in blocked folders and files that are the first file
// of some set. Prints one line per file acted on or refused to out, then the totals. Stops between
// two files when stop is set. Returns the exit status: kExitError when a file failed,
// kExitAborted when stopped, else kExitSearchRan.
int ActOnCopies(const engine::DuplicateList& list, engine::Method method,
                const ScanOptions& options, const std::atomic<bool>& stop, std::FILE* out,
                const platform::Locale& locale, platform::FileOperations& operations);

// The same for the sets of the results file options.loadPath (rows without identity: each copy is
// compared byte for byte with a file of its set that stays).
int ActOnLoadedCopies(const ScanOptions& options, const std::atomic<bool>& stop, std::FILE* out,
                      const platform::Locale& locale, platform::FileOperations& operations);

}  // namespace qm::cli
