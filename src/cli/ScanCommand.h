#pragma once

#include <string>
#include <vector>

namespace qm::cli {

// The name messages begin with.
inline constexpr const char* kProgramName = "quillmere-scan";

// Exit statuses of quillmere-scan.
inline constexpr int kExitSearchRan = 0;
inline constexpr int kExitError = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitAborted = 130;  // 128 + SIGINT, as shells report an interrupted command

// Runs the scanner for the arguments after the program name: parses them, runs one search,
// writes the results and the summary. Returns the exit status.
int RunScanCommand(const std::vector<std::string>& args);

}  // namespace qm::cli
