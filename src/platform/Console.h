#pragma once

#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

namespace qm::platform {

// The arguments after the program name as UTF-8 (on Windows from the wide command line, which
// the narrow argv would have squeezed into the ANSI code page).
std::vector<std::string> ProgramArguments(int argc, char** argv);

// Readies the standard streams for a console program: standard output is written byte for byte
// (no line end translation, so results files keep their CR LF), and a Windows console shows
// UTF-8 and the terminal controls of the progress line.
void PrepareStandardStreams();

// Whether stream is a terminal (a console window on Windows).
bool IsTerminal(std::FILE* stream);

// The width of the terminal behind stream in characters; 0 when unknown.
int TerminalColumns(std::FILE* stream);

// From now on, Ctrl+C (Ctrl+Break and closing the console too on Windows) sets flag instead of
// ending the program; a second Ctrl+C ends it at once, should winding down ever take too long.
// flag must live as long as the program.
void InstallInterruptHandler(std::atomic<bool>& flag);

}  // namespace qm::platform
