#include <string>
#include <vector>

#include "cli/ScanCommand.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    return qm::cli::RunScanCommand(args);
}
