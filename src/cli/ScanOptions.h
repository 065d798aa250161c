#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/SearchCriteria.h"
#include "platform/PathRules.h"

namespace qm::cli {

// Text: the duplicate sets; Dat: a results file; Csv, Html, Rtf, Table: the window's exports
// (Table is its text export).
enum class OutputFormat : std::uint8_t { Text, Dat, Csv, Html, Rtf, Table };

// What is done with the copies (every file of a set but its first) once the sets are known.
enum class CopyAction : std::uint8_t { None, Trash, Move };

// What one command line asks for.
struct ScanOptions {
    engine::SearchCriteria criteria;  // folders absolute, each ending in the separator
    OutputFormat format = OutputFormat::Text;
    std::string outputPath;  // empty: standard output
    bool quiet = false;
    bool help = false;
    bool version = false;

    CopyAction copyAction = CopyAction::None;
    std::string moveDestination;  // --move-copies-to: absolute, without its trailing separator
    bool preservePaths = false;
    std::vector<std::string> blockedFolders;  // absolute, each ending in the separator
    bool blockedSubFolders = false;
    bool dryRun = false;
    std::string loadPath;  // --load: the sets come from this results file; no search
};

// Parses the arguments after the program name, GNU style ("--name value", "--name=value", "--"
// ends the options). Relative folders are taken from workingFolder. Throws UsageError with one
// line naming the offending option. With --help or --version nothing else is required.
ScanOptions ParseScanOptions(const std::vector<std::string>& args,
                             const std::string& workingFolder);

// path made absolute against workingFolder, "." and ".." resolved by name, ending in the
// separator. The bytes of every name are kept. A root keeps its own text ("C:\",
// "\\server\share\"); on Windows "/" separates too, and "\x" and "C:x" are taken from the
// working folder's drive.
std::string AbsoluteFolder(const std::string& path, const std::string& workingFolder,
                           platform::PathStyle style = platform::kNativePathStyle);

// The text of --help.
std::string HelpText();

}  // namespace qm::cli
