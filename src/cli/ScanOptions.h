#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/SearchCriteria.h"

namespace qm::cli {

// Text: the duplicate sets; Dat: a results file; Csv, Html, Rtf, Table: the window's exports
// (Table is its text export).
enum class OutputFormat : std::uint8_t { Text, Dat, Csv, Html, Rtf, Table };

// What one command line asks for.
struct ScanOptions {
    engine::SearchCriteria criteria;  // folders absolute, each ending in the separator
    OutputFormat format = OutputFormat::Text;
    std::string outputPath;  // empty: standard output
    bool quiet = false;
    bool help = false;
    bool version = false;
};

// Parses the arguments after the program name, GNU style ("--name value", "--name=value", "--"
// ends the options). Relative folders are taken from workingFolder. Throws UsageError with one
// line naming the offending option. With --help or --version nothing else is required.
ScanOptions ParseScanOptions(const std::vector<std::string>& args,
                             const std::string& workingFolder);

// path made absolute against workingFolder, "." and ".." resolved by name, ending in the
// separator. The bytes of every name are kept.
std::string AbsoluteFolder(const std::string& path, const std::string& workingFolder);

// The text of --help.
std::string HelpText();

}  // namespace qm::cli
